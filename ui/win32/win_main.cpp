#include "job/job_worker.h"
#include "ui/win32/main_window.h"

// Any text after the program's own name is a list of paths: the program then
// lists them at once and closes when the job ends.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLineTail, int) {
  if (commandLineTail != nullptr && commandLineTail[0] != 0) g_commandLineMode = true;
  LoadWindowTexts(instance);
  RegisterMainWindowClass(instance);
  if (!CreateMainWindow(instance)) return 0;
  return RunMessageLoop();
}
