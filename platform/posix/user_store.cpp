#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/posix_user_store.h"
#include "platform/user_store.h"

// An in-memory store with the registry's semantics: names compared without
// regard to ASCII case, subkeys enumerated in name order, values in the order
// they were first set, a key with subkeys refusing deletion, handles of a
// deleted key failing, and the access a key was opened with enforced.

namespace {

constexpr size_t kLongestKeyName = 255;
constexpr size_t kLongestValueName = 16383;

std::u16string Folded(const std::u16string& name) {
  std::u16string folded = name;
  for (char16_t& ch : folded) {
    if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + u'A');
  }
  return folded;
}

struct Value {
  std::u16string name;
  uint32_t type;
  std::vector<unsigned char> data;
};

struct Node {
  std::u16string name;
  bool deleted = false;
  std::map<std::u16string, std::shared_ptr<Node>> subkeys;  // by folded name
  std::vector<Value> values;
};

struct Handle {
  std::shared_ptr<Node> node;
  StoreAccess access;
};

std::mutex g_lock;
std::shared_ptr<Node> g_root = std::make_shared<Node>();
int32_t g_liveHandles = 0;

bool CanRead(StoreAccess access) { return access != StoreAccess::Write; }
bool CanWrite(StoreAccess access) { return access != StoreAccess::Read; }

// The node and access behind a key; the root for null. Null for a key that
// has been deleted meanwhile.
Node* Resolve(StoreKey key, StoreAccess* access) {
  if (key == nullptr) {
    *access = StoreAccess::All;
    return g_root.get();
  }
  Handle* handle = static_cast<Handle*>(key);
  *access = handle->access;
  return handle->node->deleted ? nullptr : handle->node.get();
}

// Splits a path at its backslashes; false for an empty or too long name.
bool SplitPath(const char16_t* path, std::vector<std::u16string>* names) {
  std::u16string text = path == nullptr ? std::u16string() : std::u16string(path);
  if (text.empty()) return true;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(u'\\', start);
    std::u16string name = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    if (name.empty() || name.size() > kLongestKeyName) return false;
    names->push_back(name);
    if (end == std::u16string::npos) return true;
    start = end + 1;
  }
}

Value* FindValue(Node* node, const char16_t* name) {
  std::u16string wanted = Folded(name == nullptr ? std::u16string() : std::u16string(name));
  for (Value& value : node->values) {
    if (Folded(value.name) == wanted) return &value;
  }
  return nullptr;
}

StoreResult NewHandle(std::shared_ptr<Node> node, StoreAccess access, StoreKey* key) {
  Handle* handle = new (std::nothrow) Handle{std::move(node), access};
  if (handle == nullptr) return StoreResult::Failed;
  ++g_liveHandles;
  *key = handle;
  return StoreResult::Ok;
}

std::shared_ptr<Node> SharedNode(StoreKey key) {
  return key == nullptr ? g_root : static_cast<Handle*>(key)->node;
}

StoreResult PosixOpenKey(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  std::lock_guard<std::mutex> hold(g_lock);
  *key = nullptr;
  StoreAccess parentAccess;
  if (Resolve(parent, &parentAccess) == nullptr) return StoreResult::Failed;
  std::vector<std::u16string> names;
  if (!SplitPath(path, &names)) return StoreResult::Failed;
  std::shared_ptr<Node> node = SharedNode(parent);
  for (const std::u16string& name : names) {
    auto found = node->subkeys.find(Folded(name));
    if (found == node->subkeys.end()) return StoreResult::NotFound;
    node = found->second;
  }
  return NewHandle(node, access, key);
}

StoreResult PosixCreateKey(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  std::lock_guard<std::mutex> hold(g_lock);
  *key = nullptr;
  StoreAccess parentAccess;
  if (Resolve(parent, &parentAccess) == nullptr) return StoreResult::Failed;
  std::vector<std::u16string> names;
  if (!SplitPath(path, &names)) return StoreResult::Failed;
  std::shared_ptr<Node> node = SharedNode(parent);
  for (const std::u16string& name : names) {
    std::shared_ptr<Node>& slot = node->subkeys[Folded(name)];
    if (!slot) {
      slot = std::make_shared<Node>();
      slot->name = name;
    }
    node = slot;
  }
  return NewHandle(node, access, key);
}

void PosixCloseKey(StoreKey key) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (key == nullptr) return;
  delete static_cast<Handle*>(key);
  --g_liveHandles;
}

StoreResult PosixQueryValue(StoreKey key, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
  std::lock_guard<std::mutex> hold(g_lock);
  StoreAccess access;
  Node* node = Resolve(key, &access);
  if (node == nullptr) return StoreResult::Failed;
  if (!CanRead(access)) return StoreResult::Denied;
  Value* value = FindValue(node, name);
  if (value == nullptr) return StoreResult::NotFound;
  if (type != nullptr) *type = value->type;
  uint32_t capacity = *size;
  *size = static_cast<uint32_t>(value->data.size());
  if (data == nullptr) return StoreResult::Ok;
  if (capacity < value->data.size()) return StoreResult::MoreData;
  if (!value->data.empty()) std::copy(value->data.begin(), value->data.end(), static_cast<unsigned char*>(data));
  return StoreResult::Ok;
}

StoreResult PosixSetValue(StoreKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
  std::lock_guard<std::mutex> hold(g_lock);
  StoreAccess access;
  Node* node = Resolve(key, &access);
  if (node == nullptr) return StoreResult::Failed;
  if (!CanWrite(access)) return StoreResult::Denied;
  std::u16string valueName = name == nullptr ? std::u16string() : std::u16string(name);
  if (valueName.size() > kLongestValueName) return StoreResult::Failed;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  std::vector<unsigned char> stored;
  if (bytes != nullptr) stored.assign(bytes, bytes + size);
  Value* value = FindValue(node, name);
  if (value != nullptr) {
    value->type = type;
    value->data = std::move(stored);
  } else {
    node->values.push_back(Value{valueName, type, std::move(stored)});
  }
  return StoreResult::Ok;
}

StoreResult PosixQueryInfo(StoreKey key, uint32_t* subkeys, uint32_t* longestSubkey, uint32_t* values,
                           uint32_t* longestValueName) {
  std::lock_guard<std::mutex> hold(g_lock);
  StoreAccess access;
  Node* node = Resolve(key, &access);
  if (node == nullptr) return StoreResult::Failed;
  if (!CanRead(access)) return StoreResult::Denied;
  *subkeys = static_cast<uint32_t>(node->subkeys.size());
  *values = static_cast<uint32_t>(node->values.size());
  *longestSubkey = 0;
  *longestValueName = 0;
  for (const auto& entry : node->subkeys) {
    if (entry.second->name.size() > *longestSubkey) *longestSubkey = static_cast<uint32_t>(entry.second->name.size());
  }
  for (const Value& value : node->values) {
    if (value.name.size() > *longestValueName) *longestValueName = static_cast<uint32_t>(value.name.size());
  }
  return StoreResult::Ok;
}

StoreResult PosixEnumKey(StoreKey key, uint32_t index, char16_t* name, uint32_t capacity) {
  std::lock_guard<std::mutex> hold(g_lock);
  StoreAccess access;
  Node* node = Resolve(key, &access);
  if (node == nullptr) return StoreResult::Failed;
  if (!CanRead(access)) return StoreResult::Denied;
  if (index >= node->subkeys.size()) return StoreResult::NoMoreItems;
  auto entry = node->subkeys.begin();
  std::advance(entry, index);
  const std::u16string& text = entry->second->name;
  if (text.size() + 1 > capacity) return StoreResult::MoreData;
  text.copy(name, text.size());
  name[text.size()] = 0;
  return StoreResult::Ok;
}

StoreResult PosixEnumValue(StoreKey key, uint32_t index, char16_t* name, uint32_t* length) {
  std::lock_guard<std::mutex> hold(g_lock);
  StoreAccess access;
  Node* node = Resolve(key, &access);
  if (node == nullptr) return StoreResult::Failed;
  if (!CanRead(access)) return StoreResult::Denied;
  if (index >= node->values.size()) return StoreResult::NoMoreItems;
  const std::u16string& text = node->values[index].name;
  if (text.size() + 1 > *length) return StoreResult::MoreData;
  text.copy(name, text.size());
  name[text.size()] = 0;
  *length = static_cast<uint32_t>(text.size());
  return StoreResult::Ok;
}

StoreResult PosixDeleteValue(StoreKey key, const char16_t* name) {
  std::lock_guard<std::mutex> hold(g_lock);
  StoreAccess access;
  Node* node = Resolve(key, &access);
  if (node == nullptr) return StoreResult::Failed;
  if (!CanWrite(access)) return StoreResult::Denied;
  Value* value = FindValue(node, name);
  if (value == nullptr) return StoreResult::NotFound;
  node->values.erase(node->values.begin() + (value - node->values.data()));
  return StoreResult::Ok;
}

StoreResult PosixDeleteKey(StoreKey parent, const char16_t* name) {
  std::lock_guard<std::mutex> hold(g_lock);
  StoreAccess access;
  if (Resolve(parent, &access) == nullptr) return StoreResult::Failed;
  std::vector<std::u16string> names;
  if (!SplitPath(name, &names) || names.empty()) return StoreResult::Failed;
  std::shared_ptr<Node> owner = SharedNode(parent);
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    auto found = owner->subkeys.find(Folded(names[i]));
    if (found == owner->subkeys.end()) return StoreResult::NotFound;
    owner = found->second;
  }
  auto found = owner->subkeys.find(Folded(names.back()));
  if (found == owner->subkeys.end()) return StoreResult::NotFound;
  if (!found->second->subkeys.empty()) return StoreResult::Denied;
  found->second->deleted = true;
  owner->subkeys.erase(found);
  return StoreResult::Ok;
}

}  // namespace

int32_t LivePosixStoreKeys() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_liveHandles;
}

UserStoreApi g_userStore{PosixOpenKey,    PosixCreateKey, PosixCloseKey,  PosixQueryValue,
                         PosixSetValue,   PosixQueryInfo, PosixEnumKey,   PosixEnumValue,
                         PosixDeleteValue, PosixDeleteKey};
