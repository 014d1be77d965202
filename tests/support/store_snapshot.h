#pragma once
// Tests of the stored settings work on the real per-user store (the registry
// under Wine). StoreSnapshot takes the maker key Software\Quillmoor out of
// the store for the length of a test and puts back exactly what was there
// afterwards; the helpers below read and write single keys and values.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/user_store.h"

struct StoredKeyTree;

class StoreSnapshot {
 public:
  StoreSnapshot();
  ~StoreSnapshot();
  StoreSnapshot(const StoreSnapshot&) = delete;
  StoreSnapshot& operator=(const StoreSnapshot&) = delete;

 private:
  std::unique_ptr<StoredKeyTree> saved_;
};

extern const char16_t kMakerKeyPath[];

// Paths are below the current user's root, e.g. u"Software\\Quillmoor".
bool StoreKeyExists(const std::u16string& path);
// Subkey names of a key, in enumeration order.
std::vector<std::u16string> StoreSubkeys(const std::u16string& path);
// Value names of a key, in enumeration order.
std::vector<std::u16string> StoreValueNames(const std::u16string& path);
// Creates the key when missing.
void CreateStoreKey(const std::u16string& path);
// Deletes a key with everything below it.
void RemoveStoreTree(const std::u16string& path);

struct StoredValue {
  bool exists;
  uint32_t type;
  std::vector<unsigned char> data;
};
StoredValue ReadStoreValue(const std::u16string& path, const std::u16string& name);
// Creates the key when missing.
void WriteStoreValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                     const void* data, uint32_t size);
void WriteStoreWord(const std::u16string& path, const std::u16string& name, uint32_t word);
// A REG_SZ of the text's units and, when terminated is true, its terminator.
void WriteStoreString(const std::u16string& path, const std::u16string& name, const std::u16string& text,
                      bool terminated = true);
// The bytes of a REG_SZ value as UTF-16 units.
std::u16string StoredUnits(const StoredValue& value);
