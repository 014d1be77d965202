#include "platform/posix/recording_window.h"
#include "tests/support/test_support.h"

void SetUpPlatformForTests() { ResetRecordedWindow(); }

#include "platform/posix/posix_clipboard.h"

std::u16string ReadClipboardForTest() { return PosixClipboardData(); }

void WriteClipboardForTest(const std::u16string& text) {
  SetPosixClipboardData(text + std::u16string(1, u'\0'));
}

// The product treats a refused allocation as a failure of the job; let the
// sanitizer's allocator refuse huge requests the same way instead of aborting.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
extern "C" const char* __tsan_default_options() { return "allocator_may_return_null=1"; }
