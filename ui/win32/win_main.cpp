#include "ui/win32/main_window.h"
#include "ui/window_job.h"

// Any text after the program's own name is a list of paths: the program then
// lists them at once and closes when the job ends. The application state and
// the window's objects live here, for as long as the message loop runs.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLineTail, int) {
  MainWindow window{};
  AppState state{.commandLineMode = commandLineTail != nullptr && commandLineTail[0] != 0, .window = &window};
  RegisterMainWindowClass(instance);
  int exitCode = 0;
  if (CreateMainWindow(&state, instance)) exitCode = RunMessageLoop(&state);
  EndWindowJob(&state);
  return exitCode;
}
