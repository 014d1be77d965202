// dorrowin-list on Windows: the arguments arrive as UTF-16, as the listing
// takes them.

#include "ui/console/console_tool.h"

int wmain(int argc, wchar_t** argv) {
  return RunConsoleTool(argc > 0 ? argc - 1 : 0, reinterpret_cast<const char16_t* const*>(argv + (argc > 0 ? 1 : 0)));
}
