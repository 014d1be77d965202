#include "engine/git_ignore.h"

#include <cstring>
#include <utility>

#include "engine/git_config.h"

namespace {

// The rules at the top of the working tree at folder[0..rootLength): the
// user's excludes file under info/exclude. The last tree's are kept for the
// next input folder.
Shared<IgnoreRules> TopRules(IgnoreSession* session, const char16_t* folder, size_t rootLength, size_t rootStart,
                             PathStyle style, bool* failed) {
  const Text& last = session->lastRoot;
  if (session->lastTop && last.length() == rootLength &&
      std::memcmp(last.get(), folder, rootLength * sizeof(char16_t)) == 0) {
    return session->lastTop;
  }
  bool userFailed = !session->userRead && !ReadUserExcludes(style, &session->userBytes, &session->userSize);
  session->userRead = true;
  Text root = userFailed ? Text() : Text::Copy(folder, rootLength);
  OwnedBlock<char> info;
  size_t infoSize = 0;
  if (!root || !ReadInfoExclude(root.get(), style, &info, &infoSize)) {
    *failed = true;
    return {};
  }
  Shared<IgnoreRules> top = MakeRules(Shared<IgnoreRules>(), rootStart, 0, style, session->userBytes.get(),
                                      session->userSize, std::move(info), infoSize, failed);
  if (!top) return {};
  session->lastRoot = std::move(root);
  session->lastTop = top;
  return top;
}

}  // namespace

// The rules of the tree's top, then every .gitignore from the root down to
// the folder's parent, each folder on the way checked against them.
Shared<IgnoreRules> InputFolderRules(IgnoreSession* session, const char16_t* folder, size_t length, PathStyle style,
                                     bool* ignored, bool* failed) {
  *ignored = false;
  size_t rootLength = 0;
  if (length == 0 || !FindWorkingTree(folder, length, style, &rootLength, failed)) return {};
  const char16_t separator = SeparatorOf(style);
  size_t rootStart = rootLength > 0 && folder[rootLength - 1] == separator ? rootLength : rootLength + 1;
  Shared<IgnoreRules> chain = TopRules(session, folder, rootLength, rootStart, style, failed);
  OwnedBlock<char> below = chain && length < SIZE_MAX / 4 ? MakeBlock<char>(3 * length + 2) : nullptr;
  if (below == nullptr) *failed = true;
  size_t used = 0;
  for (size_t at = rootStart; at < length && !*failed;) {
    size_t end = at;
    while (end < length && folder[end] != separator) ++end;
    chain = LoadFolderRules(chain, folder, at == rootStart ? rootLength : at - 1, used, style, failed);
    size_t nameStart = used;
    used += EncodePath(folder + at, end - at, separator, style, below.get() + used);
    if (chain && IgnoredAt(*chain, below.get(), nameStart, used, true)) *ignored = true;
    if (*ignored) break;
    below[used++] = '/';
    at = end + 1;
  }
  return *ignored || *failed ? Shared<IgnoreRules>() : chain;
}
