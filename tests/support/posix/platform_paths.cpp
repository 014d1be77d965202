#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_drop.h"
#include "tests/support/test_support.h"

// The POSIX layer shows "/" as the drive Z:, so /tmp/x is Z:\tmp\x.
std::u16string EnginePath(const std::filesystem::path& native) {
  std::u16string text = std::filesystem::absolute(native).generic_u16string();
  for (char16_t& ch : text) {
    if (ch == u'/') ch = u'\\';
  }
  return u"Z:" + text;
}

DropHandle MakeDrop(const std::vector<std::u16string>& paths) {
  std::vector<const char16_t*> texts;
  for (const std::u16string& path : paths) texts.push_back(path.c_str());
  return MakePosixDrop(texts.data(), static_cast<uint32_t>(texts.size()));
}
