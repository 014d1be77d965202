#include "platform/posix/recording_window.h"
#include "tests/support/test_support.h"

void SetUpPlatformForTests() { ResetRecordedWindow(); }
