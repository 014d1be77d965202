#include <windows.h>

#include <utility>

#include "platform/user_store.h"

namespace {

HKEY Key(StoreKey key) { return key == nullptr ? HKEY_CURRENT_USER : static_cast<HKEY>(key); }

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

REGSAM Access(StoreAccess access) {
  return access == StoreAccess::Read ? KEY_READ : access == StoreAccess::Write ? KEY_WRITE : KEY_ALL_ACCESS;
}

StoreResult Result(LSTATUS status) {
  static const std::pair<LSTATUS, StoreResult> kResults[] = {
      {ERROR_SUCCESS, StoreResult::Ok},         {ERROR_FILE_NOT_FOUND, StoreResult::NotFound},
      {ERROR_MORE_DATA, StoreResult::MoreData}, {ERROR_NO_MORE_ITEMS, StoreResult::NoMoreItems},
      {ERROR_ACCESS_DENIED, StoreResult::Denied}};
  for (const auto& [code, result] : kResults) {
    if (code == status) return result;
  }
  return StoreResult::Failed;
}

// The key opened or created, null unless it was. By reference: read after
// the call that fills it, whatever order the arguments are evaluated in.
StoreResult Opened(LSTATUS status, const HKEY& opened, StoreKey* key) {
  *key = status == ERROR_SUCCESS ? opened : nullptr;
  return Result(status);
}

}  // namespace

UserStoreApi g_userStore{
    .openKey = [](StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
      HKEY opened = nullptr;
      return Opened(RegOpenKeyExW(Key(parent), Wide(path), 0, Access(access), &opened), opened, key);
    },
    .createKey = [](StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
      HKEY opened = nullptr;
      return Opened(RegCreateKeyExW(Key(parent), Wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, Access(access),
                                    nullptr, &opened, nullptr),
                    opened, key);
    },
    .closeKey = [](StoreKey key) {
      if (key != nullptr) RegCloseKey(static_cast<HKEY>(key));
    },
    .queryValue = [](StoreKey key, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
      DWORD valueType = 0, bytes = *size;
      LSTATUS status = RegQueryValueExW(Key(key), Wide(name), nullptr, &valueType, static_cast<BYTE*>(data), &bytes);
      if (type != nullptr) *type = valueType;
      *size = bytes;
      return Result(status);
    },
    .setValue = [](StoreKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
      return Result(RegSetValueExW(Key(key), Wide(name), 0, type, static_cast<const BYTE*>(data), size));
    },
    .queryInfo = [](StoreKey key, uint32_t* subkeys, uint32_t* longestSubkey, uint32_t* values,
                    uint32_t* longestValueName) {
      DWORD keyCount = 0, keyLength = 0, valueCount = 0, valueLength = 0;
      LSTATUS status = RegQueryInfoKeyW(Key(key), nullptr, nullptr, nullptr, &keyCount, &keyLength, nullptr,
                                        &valueCount, &valueLength, nullptr, nullptr, nullptr);
      *subkeys = keyCount;
      *longestSubkey = keyLength;
      *values = valueCount;
      *longestValueName = valueLength;
      return Result(status);
    },
    .enumKey = [](StoreKey key, uint32_t index, char16_t* name, uint32_t capacity) {
      return Result(RegEnumKeyW(Key(key), index, reinterpret_cast<wchar_t*>(name), capacity));
    },
    .enumValue = [](StoreKey key, uint32_t index, char16_t* name, uint32_t* length) {
      DWORD units = *length;
      LSTATUS status =
          RegEnumValueW(Key(key), index, reinterpret_cast<wchar_t*>(name), &units, nullptr, nullptr, nullptr, nullptr);
      *length = units;
      return Result(status);
    },
    .deleteValue = [](StoreKey key, const char16_t* name) { return Result(RegDeleteValueW(Key(key), Wide(name))); },
    .deleteKey = [](StoreKey parent, const char16_t* name) { return Result(RegDeleteKeyW(Key(parent), Wide(name))); },
};
