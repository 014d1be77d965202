// dorrowin-list on POSIX: the arguments arrive as bytes, taken as names are
// (UTF-8, any other byte kept as the lone surrogate that gives it back).

#include <cstdio>
#include <cstring>

#include "engine/text.h"
#include "platform/array.h"
#include "platform/owned.h"
#include "ui/console/console_tool.h"

int main(int argc, char** argv) {
  Array<Text> texts;
  Array<const char16_t*> args;
  for (int i = 1; i < argc; ++i) {
    size_t length = 0;
    char16_t* units = DecodeUtf8(argv[i], std::strlen(argv[i]), &length);
    Text text = Text::Adopt(units, length);
    if (!text || !args.Append(text.get()) || !texts.Append(std::move(text))) {
      std::fputs("dorrowin-list: out of memory\n", stderr);
      return 1;
    }
  }
  return RunConsoleTool(static_cast<int32_t>(args.size()), args.data());
}
