#include "tests/support/store_snapshot.h"

#include <cstring>

const char16_t kMakerKeyPath[] = u"Software\\Quillmoor";

struct StoredKeyTree {
  std::u16string name;
  std::vector<std::pair<std::u16string, StoredValue>> values;
  std::vector<StoredKeyTree> subkeys;
};

namespace {

StoreKey Open(const std::u16string& path, StoreAccess access) {
  StoreKey key = nullptr;
  if (g_userStore.openKey(nullptr, path.c_str(), access, &key) != StoreResult::Ok) return nullptr;
  return key;
}

StoredValue ReadValue(StoreKey key, const std::u16string& name) {
  StoredValue value{false, 0, {}};
  uint32_t size = 0;
  if (g_userStore.queryValue(key, name.c_str(), &value.type, nullptr, &size) != StoreResult::Ok) return value;
  value.data.resize(size);
  if (g_userStore.queryValue(key, name.c_str(), &value.type, value.data.data(), &size) != StoreResult::Ok) {
    return value;
  }
  value.data.resize(size);
  value.exists = true;
  return value;
}

std::vector<std::u16string> ValueNames(StoreKey key) {
  std::vector<std::u16string> names;
  for (uint32_t index = 0;; ++index) {
    char16_t name[16384];
    uint32_t length = 16384;
    if (g_userStore.enumValue(key, index, name, &length) != StoreResult::Ok) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::u16string> SubkeyNames(StoreKey key) {
  std::vector<std::u16string> names;
  for (uint32_t index = 0;; ++index) {
    char16_t name[260];
    if (g_userStore.enumKey(key, index, name, 260) != StoreResult::Ok) break;
    names.emplace_back(name);
  }
  return names;
}

bool Capture(const std::u16string& path, const std::u16string& name, StoredKeyTree* tree) {
  StoreKey key = Open(path, StoreAccess::Read);
  if (key == nullptr) return false;
  tree->name = name;
  for (const std::u16string& valueName : ValueNames(key)) {
    tree->values.emplace_back(valueName, ReadValue(key, valueName));
  }
  std::vector<std::u16string> subkeys = SubkeyNames(key);
  g_userStore.closeKey(key);
  for (const std::u16string& subkey : subkeys) {
    StoredKeyTree child;
    if (Capture(path + u"\\" + subkey, subkey, &child)) tree->subkeys.push_back(std::move(child));
  }
  return true;
}

void Rebuild(const std::u16string& path, const StoredKeyTree& tree) {
  CreateStoreKey(path);
  for (const auto& entry : tree.values) {
    WriteStoreValue(path, entry.first, entry.second.type, entry.second.data.data(),
                    static_cast<uint32_t>(entry.second.data.size()));
  }
  for (const StoredKeyTree& child : tree.subkeys) Rebuild(path + u"\\" + child.name, child);
}

}  // namespace

StoreSnapshot::StoreSnapshot() {
  auto tree = std::make_unique<StoredKeyTree>();
  if (Capture(kMakerKeyPath, u"Quillmoor", tree.get())) saved_ = std::move(tree);
  RemoveStoreTree(kMakerKeyPath);
}

StoreSnapshot::~StoreSnapshot() {
  RemoveStoreTree(kMakerKeyPath);
  if (saved_) Rebuild(kMakerKeyPath, *saved_);
}

bool StoreKeyExists(const std::u16string& path) {
  StoreKey key = Open(path, StoreAccess::Read);
  if (key == nullptr) return false;
  g_userStore.closeKey(key);
  return true;
}

std::vector<std::u16string> StoreSubkeys(const std::u16string& path) {
  StoreKey key = Open(path, StoreAccess::Read);
  if (key == nullptr) return {};
  std::vector<std::u16string> names = SubkeyNames(key);
  g_userStore.closeKey(key);
  return names;
}

std::vector<std::u16string> StoreValueNames(const std::u16string& path) {
  StoreKey key = Open(path, StoreAccess::Read);
  if (key == nullptr) return {};
  std::vector<std::u16string> names = ValueNames(key);
  g_userStore.closeKey(key);
  return names;
}

void CreateStoreKey(const std::u16string& path) {
  StoreKey key = nullptr;
  if (g_userStore.createKey(nullptr, path.c_str(), StoreAccess::All, &key) == StoreResult::Ok) {
    g_userStore.closeKey(key);
  }
}

void RemoveStoreTree(const std::u16string& path) {
  for (const std::u16string& subkey : StoreSubkeys(path)) RemoveStoreTree(path + u"\\" + subkey);
  size_t split = path.rfind(u'\\');
  std::u16string parent = split == std::u16string::npos ? std::u16string() : path.substr(0, split);
  std::u16string name = split == std::u16string::npos ? path : path.substr(split + 1);
  StoreKey key = parent.empty() ? nullptr : Open(parent, StoreAccess::All);
  if (!parent.empty() && key == nullptr) return;
  g_userStore.deleteKey(key, name.c_str());
  if (key != nullptr) g_userStore.closeKey(key);
}

StoredValue ReadStoreValue(const std::u16string& path, const std::u16string& name) {
  StoreKey key = Open(path, StoreAccess::Read);
  if (key == nullptr) return StoredValue{false, 0, {}};
  StoredValue value = ReadValue(key, name);
  g_userStore.closeKey(key);
  return value;
}

void WriteStoreValue(const std::u16string& path, const std::u16string& name, uint32_t type, const void* data,
                     uint32_t size) {
  StoreKey key = nullptr;
  if (g_userStore.createKey(nullptr, path.c_str(), StoreAccess::All, &key) != StoreResult::Ok) return;
  g_userStore.setValue(key, name.c_str(), type, data, size);
  g_userStore.closeKey(key);
}

void WriteStoreWord(const std::u16string& path, const std::u16string& name, uint32_t word) {
  WriteStoreValue(path, name, kStoreDword, &word, sizeof(word));
}

void WriteStoreString(const std::u16string& path, const std::u16string& name, const std::u16string& text,
                      bool terminated) {
  uint32_t bytes = static_cast<uint32_t>((text.size() + (terminated ? 1 : 0)) * sizeof(char16_t));
  WriteStoreValue(path, name, kStoreString, text.c_str(), bytes);
}

std::u16string StoredUnits(const StoredValue& value) {
  std::u16string units(value.data.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), value.data.data(), units.size() * 2);
  return units;
}
