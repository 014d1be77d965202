#pragma once
// The POSIX shell layer records what the program asked of the shell, so that
// tests can see whether the help file was opened or the warning shown.

#include <string>
#include <vector>

#include "platform/shell.h"

struct ShellRequest {
  std::string operation;  // "openDocument" or "showWarning"
  std::u16string text;    // the document's path, or the warning's text
  std::u16string caption;  // the warning's caption
  bool succeeded;          // openDocument's answer
};

std::vector<ShellRequest> RecordedShellRequests();
void ClearRecordedShellRequests();
