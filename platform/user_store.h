#pragma once
// The per-user store of the settings: the Win32 registry under
// HKEY_CURRENT_USER, with its value types and sizes.

#include <cstdint>

// An open key (Win32: HKEY). Null as a parent means the current user's root.
using StoreKey = void*;

constexpr uint32_t kStoreString = 1;  // REG_SZ
constexpr uint32_t kStoreBinary = 3;  // REG_BINARY
constexpr uint32_t kStoreDword = 4;   // REG_DWORD

// KEY_READ, KEY_WRITE or KEY_ALL_ACCESS.
enum class StoreAccess { Read, Write, All };

enum class StoreResult {
  Ok,
  NotFound,     // no such key or value
  MoreData,     // the buffer is too small; sizes report what is needed
  NoMoreItems,  // an enumeration has passed its last item
  Denied,       // refused, e.g. deleting a key that has subkeys
  Failed,       // any other failure
};

struct UserStoreApi {
  // Opens an existing key below parent; path may hold several names.
  StoreResult (*openKey)(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key);
  // Opens a key, creating it and any missing keys on its path.
  StoreResult (*createKey)(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key);
  void (*closeKey)(StoreKey key);
  // As RegQueryValueExW: *size is the capacity in bytes on entry and the
  // value's size on return; data and type may be null.
  StoreResult (*queryValue)(StoreKey key, const char16_t* name, uint32_t* type, void* data,
                            uint32_t* size);
  StoreResult (*setValue)(StoreKey key, const char16_t* name, uint32_t type, const void* data,
                          uint32_t size);
  // Counts of subkeys and values and their longest names (no terminator).
  StoreResult (*queryInfo)(StoreKey key, uint32_t* subkeys, uint32_t* longestSubkey, uint32_t* values,
                           uint32_t* longestValueName);
  // As RegEnumKeyW (capacity in characters, terminator included).
  StoreResult (*enumKey)(StoreKey key, uint32_t index, char16_t* name, uint32_t capacity);
  // As RegEnumValueW: *length is the capacity on entry, the length on return.
  StoreResult (*enumValue)(StoreKey key, uint32_t index, char16_t* name, uint32_t* length);
  StoreResult (*deleteValue)(StoreKey key, const char16_t* name);
  // Refused (Denied) while the key has subkeys of its own.
  StoreResult (*deleteKey)(StoreKey parent, const char16_t* name);
};

// The build's implementation; tests may replace single members.
extern UserStoreApi g_userStore;
