#pragma once
// The shell's side of the help button: opening a document, and the one
// message box the program shows.

#include <cstdint>

struct MainWindow;  // platform/window.h

struct ShellApi {
  // Asks the shell to open the document with the verb "open"; false when the
  // shell reports a failure (no such file, no program for it).
  bool (*openDocument)(const char16_t* path);
  // A warning message box with an OK button, owned by the main window;
  // returns once the user has closed it.
  void (*showWarning)(MainWindow* owner, const char16_t* text, const char16_t* caption);
};

// The build's implementation; tests may replace single members.
extern ShellApi g_shell;
