#include "ui/win32/main_window.h"
#include "ui/window_job.h"

// Any text after the program's own name is a list of paths to list at once,
// closing when the job ends. The state lives here as long as the message loop.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLineTail, int) {
  MainWindow window{};
  AppState state{.commandLineMode = commandLineTail != nullptr && commandLineTail[0] != 0, .window = &window};
  RegisterMainWindowClass(instance);
  int exitCode = 0;
  if (CreateMainWindow(&state, instance)) exitCode = RunMessageLoop(&state);
  EndWindowJob(&state);
  return exitCode;
}
