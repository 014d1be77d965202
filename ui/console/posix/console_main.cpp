// dorrowin-list on POSIX: the arguments arrive as bytes, taken as names are
// (UTF-8, any other byte kept as the lone surrogate that gives it back).

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "ui/console/console_tool.h"

int main(int argc, char** argv) {
  try {
    std::vector<std::u16string> texts;
    for (int i = 1; i < argc; ++i) texts.push_back(FromUtf8(argv[i]));
    std::vector<const char16_t*> args;
    for (const std::u16string& text : texts) args.push_back(text.c_str());
    return RunConsoleTool(static_cast<int32_t>(args.size()), args.data());
  } catch (const std::bad_alloc&) {
    std::fputs("dorrowin-list: out of memory\n", stderr);
    return 1;
  }
}
