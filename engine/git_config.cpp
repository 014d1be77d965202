#include "engine/git_config.h"

#include "engine/git_repository.h"
#include "engine/text.h"
#include "platform/ascii.h"
#include "platform/environment.h"
#include "platform/filesystem.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsKeyByte(char c) { return c == '-' || (c >= '0' && c <= '9') || IsAsciiLetter(static_cast<unsigned char>(c)); }

// The last value of core.excludesFile in a config file's bytes, unquoted
// and unescaped in place at bytes[*start..+*length); false when it sets
// none. A simple reader: [section] headers (one with a subsection is another
// section), "key = value" lines (also after a header), '#' and ';'
// comments, double quotes and backslash escapes in values.
bool ExcludesFileSetting(char* bytes, size_t size, size_t* start, size_t* length) {
  bool inCore = false;
  bool found = false;
  for (size_t i = 0; i < size;) {
    size_t end = i;
    while (end < size && bytes[end] != '\n') ++end;
    size_t at = i;
    while (at < end && IsSpace(bytes[at])) ++at;
    if (at < end && bytes[at] == '[') {
      size_t close = at + 1;
      while (close < end && bytes[close] != ']') ++close;
      size_t nameStart = at + 1, nameEnd = close;
      while (nameStart < nameEnd && IsSpace(bytes[nameStart])) ++nameStart;
      while (nameEnd > nameStart && IsSpace(bytes[nameEnd - 1])) --nameEnd;
      inCore = SpellsWord(bytes + nameStart, nameEnd - nameStart, "core", true);
      at = close < end ? close + 1 : end;
      while (at < end && IsSpace(bytes[at])) ++at;
    }
    size_t key = at;
    while (at < end && IsKeyByte(bytes[at])) ++at;
    bool wanted = inCore && SpellsWord(bytes + key, at - key, "excludesfile", true);
    while (at < end && IsSpace(bytes[at])) ++at;
    if (wanted && at < end && bytes[at] == '=') {
      ++at;
      while (at < end && IsSpace(bytes[at])) ++at;
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
    i = end + 1;
  }
  return found;
}

// Takes core.excludesFile from a config file, if it sets it, into *file
// ("~/" is the home folder). False when storage runs out.
bool ReadExcludesSetting(const Text& config, const Text& home, PathStyle style, Text* file) {
  OwnedBlock<char> bytes;
  size_t size = 0, start = 0, length = 0;
  FileLoad load = ReadFileBytes(config.get(), false, &bytes, &size);
  if (load != FileLoad::Loaded || !ExcludesFileSetting(bytes.get(), size, &start, &length)) {
    return load != FileLoad::OutOfMemory;
  }
  size_t units = 0;
  char16_t* decoded = DecodeUtf8(bytes.get() + start, length, &units);
  Text value = Text::Adopt(decoded, units);
  bool fromHome = value && home && units >= 2 && decoded[0] == u'~' && decoded[1] == u'/';
  Text path = !value    ? Text()
              : fromHome ? JoinPath(home.get(), home.length(), decoded + 2, units - 2, style)
                         : JoinPath(u"", 0, decoded, units, style);
  if (!path) return false;
  *file = std::move(path);
  return true;
}

Text Variable(const char16_t* name, bool* failed) {
  char16_t* value = *failed ? nullptr : g_environment.variable(name, failed);
  return Text::Adopt(value, value != nullptr ? TextLength(value) : 0);
}

}  // namespace

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
  for (const Text& config : configs) {
    if (!failed && config && !ReadExcludesSetting(config, home, style, &file)) failed = true;
  }
  if (!failed && !file && configBase != nullptr) {
    file = JoinPath(configBase, xdg ? u"git/ignore" : u".config/git/ignore", style);
    failed = !file;
  }
  if (failed || !file) return !failed;
  return ReadFileBytes(file.get(), false, bytes, size) != FileLoad::OutOfMemory;
}
