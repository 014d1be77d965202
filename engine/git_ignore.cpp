#include "engine/git_ignore.h"

#include <cstring>
#include <utility>

#include "engine/text.h"
#include "platform/ascii.h"
#include "platform/environment.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsKeyByte(char c) { return c == '-' || (c >= '0' && c <= '9') || IsAsciiLetter(static_cast<unsigned char>(c)); }

// The last core.excludesFile of a config file, unquoted and unescaped in place
// at bytes[*start..+*length); false when none. A simple reader: [section]
// headers (a subsection is another section), "key = value" lines (also after
// a header), '#' and ';' comments, double quotes and '\' escapes in values.
bool ExcludesFileSetting(char* bytes, size_t size, size_t* start, size_t* length) {
  bool inCore = false, found = false;
  for (size_t i = 0, end = 0; i < size; i = end + 1) {
    for (end = i; end < size && bytes[end] != '\n';) ++end;
    auto skipSpaces = [&](size_t at) {
      while (at < end && IsSpace(bytes[at])) ++at;
      return at;
    };
    size_t at = skipSpaces(i);
    if (at < end && bytes[at] == '[') {
      size_t close = at + 1;
      while (close < end && bytes[close] != ']') ++close;
      size_t nameStart = skipSpaces(at + 1), nameEnd = close;
      while (nameEnd > nameStart && IsSpace(bytes[nameEnd - 1])) --nameEnd;
      inCore = SpellsWord(bytes + nameStart, nameEnd - nameStart, "core", true);
      at = skipSpaces(close < end ? close + 1 : end);
    }
    size_t key = at;
    while (at < end && IsKeyByte(bytes[at])) ++at;
    bool wanted = inCore && SpellsWord(bytes + key, at - key, "excludesfile", true);
    at = skipSpaces(at);
    if (!wanted || at >= end || bytes[at] != '=') continue;
    at = skipSpaces(at + 1);
    size_t write = at, kept = at;
    bool quoted = false;
    for (size_t read = at; read < end; ++read) {
      char c = bytes[read];
      if (!quoted && (c == '#' || c == ';')) break;
      if (c == '"') {
        quoted = !quoted;
        continue;
      }
      bool escaped = c == '\\' && read + 1 < end;
      if (escaped) {
        c = bytes[++read];
        c = c == 'n' ? '\n' : c == 't' ? '\t' : c == 'b' ? '\b' : c;
      }
      bytes[write++] = c;
      if (escaped || quoted || !IsSpace(c)) kept = write;
    }
    *start = at;
    *length = kept - at;
    found = true;
  }
  return found;
}

Text Variable(const char16_t* name, bool* failed) {
  char16_t* value = *failed ? nullptr : g_environment.variable(name, failed);
  return Text::Adopt(value, value != nullptr ? TextLength(value) : 0);
}

// The bytes of the user's excludes file, if any: core.excludesFile of
// $XDG_CONFIG_HOME/git/config (or ~/.config/git/config) then ~/.gitconfig,
// else $XDG_CONFIG_HOME/git/ignore (or ~/.config/git/ignore). Home is $HOME,
// or on Windows %USERPROFILE% without it. False when storage runs out.
bool ReadUserExcludes(PathStyle style, OwnedBlock<char>* bytes, size_t* size) {
  bool failed = false;
  Text home = Variable(u"HOME", &failed);
  if (!home && style == PathStyle::Windows) home = Variable(u"USERPROFILE", &failed);
  Text xdg = Variable(u"XDG_CONFIG_HOME", &failed);
  const char16_t* configBase = xdg ? xdg.get() : home.get();
  Text configs[2] = {configBase != nullptr ? JoinPath(configBase, xdg ? u"git/config" : u".config/git/config", style)
                                           : Text(),
                     home ? JoinPath(home.get(), u".gitconfig", style) : Text()};
  failed = failed || (configBase != nullptr && !configs[0]) || (home && !configs[1]);
  Text file;
  // core.excludesFile ("~/" is the home folder), the last value winning.
  for (const Text& config : configs) {
    OwnedBlock<char> text;
    size_t textSize = 0, start = 0, length = 0, units = 0;
    FileLoad load = failed || !config ? FileLoad::Unreadable : ReadFileBytes(config.get(), false, &text, &textSize);
    failed = failed || load == FileLoad::OutOfMemory;
    if (load != FileLoad::Loaded || !ExcludesFileSetting(text.get(), textSize, &start, &length)) continue;
    char16_t* v = DecodeUtf8(text.get() + start, length, &units);
    Text value = Text::Adopt(v, units);
    bool fromHome = value && home && units >= 2 && v[0] == u'~' && v[1] == u'/';
    file = !value    ? Text()
           : fromHome ? JoinPath(home.get(), home.length(), v + 2, units - 2, style)
                      : JoinPath(u"", 0, v, units, style);
    failed = !file;
  }
  if (!failed && !file && configBase != nullptr) {
    file = JoinPath(configBase, xdg ? u"git/ignore" : u".config/git/ignore", style);
    failed = !file;
  }
  if (failed || !file) return !failed;
  return ReadFileBytes(file.get(), false, bytes, size) != FileLoad::OutOfMemory;
}

// The rules at the top of the working tree at folder[0..rootLength): the user's
// excludes file under info/exclude, kept for the next input folder.
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
