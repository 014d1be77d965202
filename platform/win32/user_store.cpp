#include <windows.h>

#include "platform/user_store.h"

namespace {

HKEY Key(StoreKey key) { return key == nullptr ? HKEY_CURRENT_USER : static_cast<HKEY>(key); }

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

REGSAM Access(StoreAccess access) {
  switch (access) {
    case StoreAccess::Read:
      return KEY_READ;
    case StoreAccess::Write:
      return KEY_WRITE;
    case StoreAccess::All:
      break;
  }
  return KEY_ALL_ACCESS;
}

StoreResult Result(LSTATUS status) {
  switch (status) {
    case ERROR_SUCCESS:
      return StoreResult::Ok;
    case ERROR_FILE_NOT_FOUND:
      return StoreResult::NotFound;
    case ERROR_MORE_DATA:
      return StoreResult::MoreData;
    case ERROR_NO_MORE_ITEMS:
      return StoreResult::NoMoreItems;
    case ERROR_ACCESS_DENIED:
      return StoreResult::Denied;
    default:
      return StoreResult::Failed;
  }
}

StoreResult Win32OpenKey(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  HKEY opened = nullptr;
  StoreResult result = Result(RegOpenKeyExW(Key(parent), Wide(path), 0, Access(access), &opened));
  *key = result == StoreResult::Ok ? opened : nullptr;
  return result;
}

StoreResult Win32CreateKey(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  HKEY opened = nullptr;
  StoreResult result = Result(RegCreateKeyExW(Key(parent), Wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                              Access(access), nullptr, &opened, nullptr));
  *key = result == StoreResult::Ok ? opened : nullptr;
  return result;
}

void Win32CloseKey(StoreKey key) {
  if (key != nullptr) RegCloseKey(static_cast<HKEY>(key));
}

StoreResult Win32QueryValue(StoreKey key, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
  DWORD valueType = 0;
  DWORD bytes = *size;
  StoreResult result =
      Result(RegQueryValueExW(Key(key), Wide(name), nullptr, &valueType, static_cast<BYTE*>(data), &bytes));
  if (type != nullptr) *type = valueType;
  *size = bytes;
  return result;
}

StoreResult Win32SetValue(StoreKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
  return Result(RegSetValueExW(Key(key), Wide(name), 0, type, static_cast<const BYTE*>(data), size));
}

StoreResult Win32QueryInfo(StoreKey key, uint32_t* subkeys, uint32_t* longestSubkey, uint32_t* values,
                           uint32_t* longestValueName) {
  DWORD keyCount = 0, keyLength = 0, valueCount = 0, valueLength = 0;
  StoreResult result = Result(RegQueryInfoKeyW(Key(key), nullptr, nullptr, nullptr, &keyCount, &keyLength,
                                               nullptr, &valueCount, &valueLength, nullptr, nullptr, nullptr));
  *subkeys = keyCount;
  *longestSubkey = keyLength;
  *values = valueCount;
  *longestValueName = valueLength;
  return result;
}

StoreResult Win32EnumKey(StoreKey key, uint32_t index, char16_t* name, uint32_t capacity) {
  return Result(RegEnumKeyW(Key(key), index, reinterpret_cast<wchar_t*>(name), capacity));
}

StoreResult Win32EnumValue(StoreKey key, uint32_t index, char16_t* name, uint32_t* length) {
  DWORD units = *length;
  StoreResult result = Result(RegEnumValueW(Key(key), index, reinterpret_cast<wchar_t*>(name), &units, nullptr,
                                            nullptr, nullptr, nullptr));
  *length = units;
  return result;
}

StoreResult Win32DeleteValue(StoreKey key, const char16_t* name) {
  return Result(RegDeleteValueW(Key(key), Wide(name)));
}

StoreResult Win32DeleteKey(StoreKey parent, const char16_t* name) {
  return Result(RegDeleteKeyW(Key(parent), Wide(name)));
}

}  // namespace

UserStoreApi g_userStore{Win32OpenKey,   Win32CreateKey, Win32CloseKey,    Win32QueryValue,
                         Win32SetValue,  Win32QueryInfo, Win32EnumKey,     Win32EnumValue,
                         Win32DeleteValue, Win32DeleteKey};
