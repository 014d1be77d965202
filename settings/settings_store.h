#pragma once
// The registry codec of the settings: the values under
// HKEY_CURRENT_USER\Software\Quillmoor\Dorrowin and what they hold.

#include <cstdint>

#include "platform/user_store.h"
#include "settings/listing_settings.h"

// The "Setting" word: the path form in bits 4-7, the item filter in bits
// 8-11, the five flags in bits 12-16, the slash in bit 17, all else zero.
uint32_t PackSettings(const ListingSettings& settings);
// False (nothing changed) when the word is invalid: any of bits 0-3 set, or
// a path form or item filter outside its enumeration.
bool UnpackSettings(uint32_t word, ListingSettings* settings);

// The "WindowPos" word: the low 16 bits of left in bits 16-31, of top in
// bits 0-15; each half is read back as a signed 16-bit number.
uint32_t PackWindowPos(int32_t left, int32_t top);
void UnpackWindowPos(uint32_t word, int32_t* left, int32_t* top);

// What the store holds, each part valid or not by its own rule.
struct StoredSettings {
  bool keyFound = false;
  bool settingValid = false;  // "Setting" is a REG_DWORD of 4 bytes
  uint32_t setting = 0;
  bool windowPosValid = false;  // the same for "WindowPos"
  uint32_t windowPos = 0;
  // "StrFF", "StrFB", "StrDF", "StrDB" (the edit boxes' order) are REG_SZ.
  bool textsValid = false;
  Text texts[kAffixCount];
  bool outOfMemory = false;  // storage ran out while reading the texts
};

StoredSettings LoadStoredSettings();
// Writes the two words and the four texts; false when the key cannot be had.
bool SaveStoredSettings(uint32_t setting, uint32_t windowPos, const Text (&texts)[kAffixCount]);
// Removes the product key and, when nothing else lives there, the maker key.
void DeleteSavedSettings();

// Where the values live, below the current user's root.
extern const char16_t kProductKeyPath[];
