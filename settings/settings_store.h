#pragma once
// The settings, the window position and the four affix texts in the
// per-user store (the registry under HKEY_CURRENT_USER\Software\Quillmoor\Dorrowin).

#include <cstdint>

#include "platform/user_store.h"

void LoadSettings();
void SaveSettings();
void DeleteSavedSettings();
// Deletes every value of an open key; its subkeys are left alone.
void DeleteAllValues(StoreKey key);

// The "Setting" word: the eight settings packed, bits 0-3 and 18-31 zero.
uint32_t PackSettings();
// Unpacks a stored word into g_settings; false (nothing changed) when the
// word is invalid: any of bits 0-3 set, or a path form or item filter
// outside its enumeration.
bool UnpackSettings(uint32_t word);

// The "WindowPos" word: the low 16 bits of left in bits 16-31, of top in
// bits 0-15; each half is read back as a signed 16-bit number.
uint32_t PackWindowPos(int32_t left, int32_t top);
void UnpackWindowPos(uint32_t word, int32_t* left, int32_t* top);

// Where the values live, below the current user's root.
extern const char16_t kProductKeyPath[];
