// The stored settings as the registry itself holds them, read and written
// here with the registry's own calls rather than through the program's
// store: the key's place, the value types and the exact bytes.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "job/job_worker.h"
#include "settings/listing_settings.h"
#include "settings/settings_store.h"
#include "tests/support/store_snapshot.h"
#include "tests/support/window_probe.h"

namespace {

constexpr wchar_t kProductKey[] = L"Software\\Quillmoor\\Dorrowin";
constexpr wchar_t kMakerKey[] = L"Software\\Quillmoor";

bool KeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

struct RawValue {
  LSTATUS status;
  DWORD type;
  std::string bytes;
};

RawValue Query(const wchar_t* name) {
  RawValue value{ERROR_FILE_NOT_FOUND, 0, {}};
  HKEY key = nullptr;
  value.status = RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key);
  if (value.status != ERROR_SUCCESS) return value;
  char buffer[256] = {};
  DWORD size = sizeof(buffer);
  value.status = RegQueryValueExW(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(buffer), &size);
  if (value.status == ERROR_SUCCESS) value.bytes.assign(buffer, size);
  RegCloseKey(key);
  return value;
}

void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowProbe();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
  }
  void TearDown() override {
    ResetListingSettings();
    RestoreWindowProbe();
  }
  StoreSnapshot snapshot_;
};

TEST_F(RegistryTest, SaveWritesTheSixValuesUnderTheCurrentUsersProductKey) {
  g_window.moveWindow(100, 50, 86, 98, false);
  g_window.setControlText(Control::FilePrefixEdit, u"<");
  g_window.setControlText(Control::FolderSuffixEdit, u"フォルダ");
  SaveSettings();

  RawValue setting = Query(L"Setting");
  ASSERT_EQ(setting.status, ERROR_SUCCESS);
  EXPECT_EQ(setting.type, static_cast<DWORD>(REG_DWORD));
  uint32_t defaults = 0x1B120;
  EXPECT_EQ(setting.bytes, Bytes(&defaults, 4));

  RawValue windowPos = Query(L"WindowPos");
  EXPECT_EQ(windowPos.type, static_cast<DWORD>(REG_DWORD));
  uint32_t place = 6553650;
  EXPECT_EQ(windowPos.bytes, Bytes(&place, 4));

  RawValue ff = Query(L"StrFF");
  EXPECT_EQ(ff.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(ff.bytes, Bytes(L"<", 4));
  RawValue fb = Query(L"StrFB");
  EXPECT_EQ(fb.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(fb.bytes, Bytes(L"", 2));
  EXPECT_EQ(Query(L"StrDF").bytes, Bytes(L"", 2));
  EXPECT_EQ(Query(L"StrDB").bytes, Bytes(L"フォルダ", 10));
}

TEST_F(RegistryTest, ValuesWrittenByOtherProgramsAreReadByTheirTypeAndSize) {
  uint32_t tree = 0x1B120 - 0x20 + 0x40;
  Set(L"Setting", REG_BINARY, &tree, 4);
  Set(L"StrFF", REG_SZ, L"1", 4);
  Set(L"StrFB", REG_SZ, L"2", 4);
  Set(L"StrDF", REG_SZ, L"3", 4);
  Set(L"StrDB", REG_EXPAND_SZ, L"4", 4);
  g_window.setControlText(Control::FilePrefixEdit, u"kept");
  LoadSettings();
  EXPECT_EQ(g_settings.pathForm, PathForm::Relative) << "a REG_BINARY Setting is not applied";
  EXPECT_EQ(ControlTextNow(Control::FilePrefixEdit), u"kept") << "a REG_EXPAND_SZ text stops all four";

  Set(L"Setting", REG_DWORD, &tree, 4);
  Set(L"StrDB", REG_SZ, L"4", 4);
  LoadSettings();
  EXPECT_EQ(g_settings.pathForm, PathForm::Tree);
  EXPECT_EQ(ControlTextNow(Control::FilePrefixEdit), u"1");
  EXPECT_EQ(ControlTextNow(Control::FolderSuffixEdit), u"4");
}

TEST_F(RegistryTest, DeleteRemovesBothKeysOrOnlyOursWhenTheMakerHasAnotherProduct) {
  SaveSettings();
  ASSERT_TRUE(KeyExists(kProductKey));
  DeleteSavedSettings();
  EXPECT_FALSE(KeyExists(kProductKey));
  EXPECT_FALSE(KeyExists(kMakerKey));
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));

  SaveSettings();
  EXPECT_TRUE(ControlEnabledNow(Control::DeleteButton));
  HKEY other = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Other", 0, nullptr, 0, KEY_WRITE, nullptr,
                            &other, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(other);
  DeleteSavedSettings();
  EXPECT_FALSE(KeyExists(kProductKey));
  EXPECT_TRUE(KeyExists(L"Software\\Quillmoor\\Other"));
}

TEST_F(RegistryTest, AProductKeyHoldingAnotherProgramsSubkeyKeepsItAndDeletingEnds) {
  SaveSettings();
  HKEY plugin = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillmoor\\Dorrowin\\Plugin", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &plugin, nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  RegSetValueExW(plugin, L"Keep", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
  RegCloseKey(plugin);
  DeleteSavedSettings();
  EXPECT_EQ(Query(L"Setting").status, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(KeyExists(L"Software\\Quillmoor\\Dorrowin\\Plugin"));
  EXPECT_FALSE(ControlEnabledNow(Control::DeleteButton));
}

}  // namespace
