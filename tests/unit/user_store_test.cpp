// The per-user store behaves as the registry does. Natively this checks the
// in-memory store; under Wine the same expectations run against the real
// registry, which is what keeps the two in step.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/user_store.h"
#include "tests/support/store_snapshot.h"

namespace {

const std::u16string kBase = u"Software\\Quillmoor\\StoreTest";

class UserStoreTest : public ::testing::Test {
 protected:
  StoreSnapshot snapshot_;

  StoreKey Open(const std::u16string& path, StoreAccess access) {
    StoreKey key = nullptr;
    EXPECT_EQ(g_userStore.openKey(nullptr, path.c_str(), access, &key), StoreResult::Ok);
    return key;
  }
};

TEST_F(UserStoreTest, CreatesMissingKeysOnThePathAndOpensThemByAnyCase) {
  StoreKey missing = reinterpret_cast<StoreKey>(1);
  EXPECT_EQ(g_userStore.openKey(nullptr, (kBase + u"\\A\\B").c_str(), StoreAccess::Read, &missing),
            StoreResult::NotFound);
  EXPECT_EQ(missing, nullptr);

  StoreKey created = nullptr;
  ASSERT_EQ(g_userStore.createKey(nullptr, (kBase + u"\\A\\B").c_str(), StoreAccess::Write, &created),
            StoreResult::Ok);
  g_userStore.closeKey(created);
  EXPECT_TRUE(StoreKeyExists(kBase + u"\\A"));
  EXPECT_TRUE(StoreKeyExists(u"SOFTWARE\\quillmoor\\storetest\\a\\b"));

  // Opening a key relative to an open parent.
  StoreKey parent = Open(kBase, StoreAccess::Read);
  StoreKey child = nullptr;
  EXPECT_EQ(g_userStore.openKey(parent, u"a\\B", StoreAccess::Read, &child), StoreResult::Ok);
  g_userStore.closeKey(child);
  g_userStore.closeKey(parent);
}

TEST_F(UserStoreTest, KeepsTypesAndExactByteSizes) {
  const unsigned char five[5] = {'a', 0, 'b', 0, 'c'};
  WriteStoreValue(kBase, u"Odd", kStoreString, five, 5);
  WriteStoreValue(kBase, u"Empty", kStoreString, nullptr, 0);
  WriteStoreValue(kBase, u"Blob", kStoreBinary, five, 3);
  WriteStoreWord(kBase, u"Word", 0x1B120);

  StoredValue odd = ReadStoreValue(kBase, u"Odd");
  ASSERT_TRUE(odd.exists);
  EXPECT_EQ(odd.type, kStoreString);
  EXPECT_EQ(odd.data, std::vector<unsigned char>(five, five + 5));

  StoredValue empty = ReadStoreValue(kBase, u"empty");
  ASSERT_TRUE(empty.exists);
  EXPECT_EQ(empty.type, kStoreString);
  EXPECT_TRUE(empty.data.empty());

  StoredValue blob = ReadStoreValue(kBase, u"Blob");
  EXPECT_EQ(blob.type, kStoreBinary);
  EXPECT_EQ(blob.data.size(), 3u);

  StoredValue word = ReadStoreValue(kBase, u"Word");
  EXPECT_EQ(word.type, kStoreDword);
  ASSERT_EQ(word.data.size(), 4u);
  uint32_t value = 0;
  std::memcpy(&value, word.data.data(), 4);
  EXPECT_EQ(value, 0x1B120u);
}

TEST_F(UserStoreTest, QueryReportsSizeWithoutDataAndMoreDataForASmallBuffer) {
  WriteStoreString(kBase, u"Text", u"abcdef");
  StoreKey key = Open(kBase, StoreAccess::Read);
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(g_userStore.queryValue(key, u"Text", &type, nullptr, &size), StoreResult::Ok);
  EXPECT_EQ(type, kStoreString);
  EXPECT_EQ(size, 14u);

  uint32_t small = 0;
  size = sizeof(small);
  EXPECT_EQ(g_userStore.queryValue(key, u"Text", &type, &small, &size), StoreResult::MoreData);
  EXPECT_EQ(size, 14u);

  size = 4;
  EXPECT_EQ(g_userStore.queryValue(key, u"Nothing", &type, &small, &size), StoreResult::NotFound);
  g_userStore.closeKey(key);
}

TEST_F(UserStoreTest, AKeyOpenedForReadingRefusesWrites) {
  CreateStoreKey(kBase);
  StoreKey key = Open(kBase, StoreAccess::Read);
  uint32_t word = 7;
  EXPECT_EQ(g_userStore.setValue(key, u"W", kStoreDword, &word, 4), StoreResult::Denied);
  g_userStore.closeKey(key);
  EXPECT_FALSE(ReadStoreValue(kBase, u"W").exists);
}

TEST_F(UserStoreTest, EnumeratesSubkeysInNameOrderAndReportsLongestNames) {
  CreateStoreKey(kBase + u"\\beta");
  CreateStoreKey(kBase + u"\\Alpha");
  CreateStoreKey(kBase + u"\\gamma-long-name");
  WriteStoreWord(kBase, u"v", 1);
  WriteStoreWord(kBase, u"value-name-of-20char", 2);
  EXPECT_EQ(StoreSubkeys(kBase), (std::vector<std::u16string>{u"Alpha", u"beta", u"gamma-long-name"}));

  std::vector<std::u16string> values = StoreValueNames(kBase);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<std::u16string>{u"v", u"value-name-of-20char"}));

  StoreKey key = Open(kBase, StoreAccess::Read);
  uint32_t subkeys = 0, longestSubkey = 0, valueCount = 0, longestValue = 0;
  EXPECT_EQ(g_userStore.queryInfo(key, &subkeys, &longestSubkey, &valueCount, &longestValue), StoreResult::Ok);
  EXPECT_EQ(subkeys, 3u);
  EXPECT_EQ(longestSubkey, 15u);
  EXPECT_EQ(valueCount, 2u);
  EXPECT_EQ(longestValue, 20u);

  char16_t name[260];
  EXPECT_EQ(g_userStore.enumKey(key, 0, name, 5), StoreResult::MoreData);
  EXPECT_EQ(g_userStore.enumKey(key, 3, name, 260), StoreResult::NoMoreItems);
  // The long value name does not fit in 4 units, terminator included.
  uint32_t longIndex = StoreValueNames(kBase)[0] == u"v" ? 1 : 0;
  uint32_t length = 4;
  EXPECT_EQ(g_userStore.enumValue(key, longIndex, name, &length), StoreResult::MoreData);
  length = 260;
  EXPECT_EQ(g_userStore.enumValue(key, longIndex, name, &length), StoreResult::Ok);
  EXPECT_EQ(std::u16string(name, length), u"value-name-of-20char");
  length = 260;
  EXPECT_EQ(g_userStore.enumValue(key, 2, name, &length), StoreResult::NoMoreItems);
  g_userStore.closeKey(key);
}

TEST_F(UserStoreTest, DeletingAKeyWithSubkeysIsRefusedAndValuesDoNotStopIt) {
  CreateStoreKey(kBase + u"\\Inner");
  WriteStoreWord(kBase, u"W", 1);
  StoreKey maker = Open(kMakerKeyPath, StoreAccess::All);
  EXPECT_EQ(g_userStore.deleteKey(maker, u"StoreTest"), StoreResult::Denied);
  EXPECT_TRUE(StoreKeyExists(kBase + u"\\Inner"));

  StoreKey base = Open(kBase, StoreAccess::All);
  EXPECT_EQ(g_userStore.deleteKey(base, u"Inner"), StoreResult::Ok);
  EXPECT_EQ(g_userStore.deleteKey(base, u"Inner"), StoreResult::NotFound);
  g_userStore.closeKey(base);
  EXPECT_EQ(g_userStore.deleteKey(maker, u"StoreTest"), StoreResult::Ok);
  g_userStore.closeKey(maker);
  EXPECT_FALSE(StoreKeyExists(kBase));
}

TEST_F(UserStoreTest, AHandleOfADeletedKeyNoLongerReadsOrWrites) {
  WriteStoreWord(kBase, u"W", 1);
  StoreKey key = Open(kBase, StoreAccess::All);
  StoreKey maker = Open(kMakerKeyPath, StoreAccess::All);
  EXPECT_EQ(g_userStore.deleteKey(maker, u"StoreTest"), StoreResult::Ok);
  g_userStore.closeKey(maker);
  uint32_t word = 0;
  uint32_t size = 4;
  EXPECT_NE(g_userStore.queryValue(key, u"W", nullptr, &word, &size), StoreResult::Ok);
  EXPECT_NE(g_userStore.setValue(key, u"X", kStoreDword, &word, 4), StoreResult::Ok);
  g_userStore.closeKey(key);
  EXPECT_FALSE(StoreKeyExists(kBase));
}

TEST_F(UserStoreTest, DeletingValuesByName) {
  WriteStoreWord(kBase, u"One", 1);
  WriteStoreWord(kBase, u"Two", 2);
  StoreKey key = Open(kBase, StoreAccess::All);
  EXPECT_EQ(g_userStore.deleteValue(key, u"ONE"), StoreResult::Ok);
  EXPECT_EQ(g_userStore.deleteValue(key, u"One"), StoreResult::NotFound);
  g_userStore.closeKey(key);
  EXPECT_EQ(StoreValueNames(kBase), (std::vector<std::u16string>{u"Two"}));
}

}  // namespace
