#pragma once
// The shell's side of the help button: opening a document, and the one
// message box the program shows.

#include <cstdint>

struct MainWindow;  // platform/window.h

struct ShellApi {
  // The verb "open"; false when the shell reports a failure.
  bool (*openDocument)(const char16_t* path);
  // A modal warning box with an OK button.
  void (*showWarning)(MainWindow* owner, const char16_t* text, const char16_t* caption);
};

// The build's implementation; tests may replace single members.
extern ShellApi g_shell;
