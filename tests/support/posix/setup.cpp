#include "platform/posix/recording_window.h"
#include "tests/support/test_support.h"

void SetUpPlatformForTests() { ResetRecordedWindow(); }

#include "platform/posix/posix_clipboard.h"

std::u16string ReadClipboardForTest() { return PosixClipboardData(); }

void WriteClipboardForTest(const std::u16string& text) {
  SetPosixClipboardData(text + std::u16string(1, u'\0'));
}
