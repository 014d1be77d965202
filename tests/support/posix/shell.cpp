#include "tests/support/test_support.h"

std::string ShellOutput(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
  int ended = pipe != nullptr ? pclose(pipe) : -1;
  if (status != nullptr) *status = ended;
  return out;
}
