#include "ui/console/console_options.h"

#include "engine/exclusions.h"
#include "engine/glob.h"
#include "engine/text.h"
#include "platform/console.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "ui/console/console_platform.h"

namespace {

enum class OptionId {
  Form, Separator, Items, NoExtensions, NoScan, FilePrefix, FileSuffix, FolderPrefix, FolderSuffix,
  Threads, MaxDepth, Exclude, ExcludeFrom, GitIgnore, Null, Help, Version, Saved, Copy, Utf16,
};

struct OptionInfo {
  const char16_t* name;
  char16_t shortName;  // 0: none
  bool takesValue;
  bool windowsOnly;
  OptionId id;
};

constexpr OptionInfo kOptions[] = {
    {u"form", u'f', true, false, OptionId::Form},
    {u"separator", u's', true, false, OptionId::Separator},
    {u"items", u'i', true, false, OptionId::Items},
    {u"no-extensions", u'x', false, false, OptionId::NoExtensions},
    {u"no-scan", u'n', false, false, OptionId::NoScan},
    {u"file-prefix", 0, true, false, OptionId::FilePrefix},
    {u"file-suffix", 0, true, false, OptionId::FileSuffix},
    {u"folder-prefix", 0, true, false, OptionId::FolderPrefix},
    {u"folder-suffix", 0, true, false, OptionId::FolderSuffix},
    {u"threads", u'j', true, false, OptionId::Threads},
    {u"max-depth", u'L', true, false, OptionId::MaxDepth},
    {u"exclude", u'E', true, false, OptionId::Exclude},
    {u"exclude-from", 0, true, false, OptionId::ExcludeFrom},
    {u"gitignore", u'g', false, false, OptionId::GitIgnore},
    {u"null", u'0', false, false, OptionId::Null},
    {u"help", u'h', false, false, OptionId::Help},
    {u"version", 0, false, false, OptionId::Version},
    {u"saved", 0, false, true, OptionId::Saved},
    {u"copy", 0, false, true, OptionId::Copy},
    {u"utf16", 0, false, false, OptionId::Utf16},
};

struct Choice {
  const char16_t* word;
  int32_t value;
};

constexpr Choice kForms[] = {{u"absolute", static_cast<int32_t>(PathForm::Absolute)},
                             {u"relative", static_cast<int32_t>(PathForm::Relative)},
                             {u"name", static_cast<int32_t>(PathForm::NameOnly)},
                             {u"tree", static_cast<int32_t>(PathForm::Tree)}};
constexpr Choice kSeparators[] = {{u"backslash", kBackslash}, {u"slash", kSlash}};
constexpr Choice kItems[] = {{u"all", static_cast<int32_t>(ItemFilter::FilesAndFolders)},
                             {u"files", static_cast<int32_t>(ItemFilter::FilesOnly)},
                             {u"folders", static_cast<int32_t>(ItemFilter::FoldersOnly)}};

// Whether text starts with the n units of name and ends there or at '='.
bool NameMatches(const char16_t* text, const char16_t* name) {
  size_t n = TextLength(name);
  for (size_t i = 0; i < n; ++i) {
    if (text[i] != name[i]) return false;
  }
  return text[n] == 0 || text[n] == u'=';
}

template <size_t N>
bool PickChoice(const Choice (&choices)[N], const char16_t* word, int32_t* value) {
  for (const Choice& choice : choices) {
    if (TextEqual(choice.word, word)) {
      *value = choice.value;
      return true;
    }
  }
  return false;
}

template <size_t N>
void ListChoices(ConsoleMessage* message, const Choice (&choices)[N]) {
  for (size_t i = 0; i < N; ++i) {
    AppendMessage(message, i == 0 ? u" (" : u", ");
    AppendMessage(message, choices[i].word);
  }
  AppendMessage(message, u")");
}

// Messages name an option by its long name.
void AppendOptionName(ConsoleMessage* message, const OptionInfo& option) {
  AppendMessage(message, u"--");
  AppendMessage(message, option.name);
}

template <size_t N>
bool InvalidValue(ConsoleMessage* message, const OptionInfo& option, const char16_t* value, const Choice (&choices)[N]) {
  AppendMessage(message, u"invalid value '");
  AppendMessage(message, value);
  AppendMessage(message, u"' for ");
  AppendOptionName(message, option);
  ListChoices(message, choices);
  return false;
}

// Folders read at once, at most: more only hold more requests in flight.
constexpr int32_t kMaxThreads = 256;

// A number: decimal digits only, least to most.
bool ParseNumber(const char16_t* value, int32_t least, int32_t most, int32_t* out) {
  int64_t number = 0;
  for (const char16_t* c = value; *c != 0; ++c) {
    if (*c < u'0' || *c > u'9' || number > most) return false;
    number = number * 10 + (*c - u'0');
  }
  if (value[0] == 0 || number < least || number > most) return false;
  *out = static_cast<int32_t>(number);
  return true;
}

void AppendInvalid(ConsoleMessage* message, const char16_t* what, const char16_t* value, const char16_t* rest) {
  AppendMessage(message, what);
  AppendMessage(message, u" '");
  AppendMessage(message, value);
  AppendMessage(message, u"' ");
  AppendMessage(message, rest);
}

bool ValidExclusion(const char16_t* glob, size_t length) {
  return GlobIsValid(glob, length, ExclusionGlobFlags(kConsolePathStyle));
}

// Records one option and its value; false (with the reason) when the value
// is not one of the option's words.
bool TakeOption(const OptionInfo& option, const char16_t* value, ConsoleCommand* command, ConsoleMessage* message) {
  int32_t choice = 0;
  switch (option.id) {
    case OptionId::Form:
      if (!PickChoice(kForms, value, &choice)) return InvalidValue(message, option, value, kForms);
      command->pathFormGiven = true;
      command->pathForm = static_cast<PathForm>(choice);
      return true;
    case OptionId::Separator:
      if (!PickChoice(kSeparators, value, &choice)) return InvalidValue(message, option, value, kSeparators);
      command->separatorGiven = true;
      command->separator = static_cast<char16_t>(choice);
      return true;
    case OptionId::Items:
      if (!PickChoice(kItems, value, &choice)) return InvalidValue(message, option, value, kItems);
      command->itemFilterGiven = true;
      command->itemFilter = static_cast<ItemFilter>(choice);
      return true;
    case OptionId::Threads:
      if (ParseNumber(value, 1, kMaxThreads, &command->readers)) return true;
      AppendInvalid(message, u"invalid value", value, u"for --threads (a number from 1 to 256)");
      return false;
    case OptionId::MaxDepth:
      if (ParseNumber(value, 0, INT32_MAX, &command->maxDepth)) return true;
      AppendInvalid(message, u"invalid value", value, u"for --max-depth (a number of levels, 0 or more)");
      return false;
    case OptionId::Exclude:
      if (!ValidExclusion(value, TextLength(value))) {
        AppendInvalid(message, u"invalid glob", value, u"for --exclude");
        return false;
      }
      command->excludes[command->excludeCount++] = value;
      return true;
    case OptionId::ExcludeFrom: command->excludeFiles[command->excludeFileCount++] = value; return true;
    case OptionId::GitIgnore: command->gitIgnore = true; return true;
    case OptionId::Null: command->nullEnds = true; return true;
    case OptionId::NoExtensions: command->extensionsHidden = true; return true;
    case OptionId::NoScan: command->scanOff = true; return true;
    case OptionId::FilePrefix: command->affixes[kFilePrefix] = value; return true;
    case OptionId::FileSuffix: command->affixes[kFileSuffix] = value; return true;
    case OptionId::FolderPrefix: command->affixes[kFolderPrefix] = value; return true;
    case OptionId::FolderSuffix: command->affixes[kFolderSuffix] = value; return true;
    case OptionId::Saved: command->saved = true; return true;
    case OptionId::Copy: command->copy = true; return true;
    case OptionId::Utf16: command->utf16 = true; return true;
    case OptionId::Help:
    case OptionId::Version: return true;
  }
  return true;
}

const OptionInfo* FindLong(const char16_t* text, bool windowsOptions) {
  for (const OptionInfo& option : kOptions) {
    if ((windowsOptions || !option.windowsOnly) && NameMatches(text, option.name)) return &option;
  }
  return nullptr;
}

const OptionInfo* FindShort(char16_t name) {
  for (const OptionInfo& option : kOptions) {
    if (option.shortName != 0 && option.shortName == name) return &option;
  }
  return nullptr;
}

ConsoleAction Unknown(ConsoleMessage* message, const char16_t* text) {
  AppendMessage(message, u"unknown option '");
  AppendMessage(message, text);
  AppendMessage(message, u"'");
  return ConsoleAction::UsageError;
}

ConsoleAction MissingValue(ConsoleMessage* message, const OptionInfo& option) {
  AppendMessage(message, u"option ");
  AppendOptionName(message, option);
  AppendMessage(message, u" needs a value");
  return ConsoleAction::UsageError;
}

}  // namespace

void AppendMessage(ConsoleMessage* message, const char16_t* text) {
  constexpr size_t kRoom = sizeof(message->text) / sizeof(message->text[0]) - 1;
  for (size_t i = 0; text[i] != 0 && message->length < kRoom; ++i) message->text[message->length++] = text[i];
  message->text[message->length] = 0;
}

// Options and paths may come in any order; "--" ends the options, and a lone
// "-" is a path. Help and version win over everything else that is valid.
ConsoleAction ParseConsoleArguments(int32_t count, const char16_t* const* args, bool windowsOptions,
                                    ConsoleCommand* command, ConsoleMessage* message) {
  *command = ConsoleCommand{};
  command->maxDepth = -1;
  *message = ConsoleMessage{};
  message->text[0] = 0;
  // Each table has room for every argument.
  for (const char16_t*** table : {&command->paths, &command->excludes, &command->excludeFiles}) {
    size_t room = count > 0 ? static_cast<size_t>(count) : 1;
    *table = static_cast<const char16_t**>(PlatformAllocArray(room, sizeof(char16_t*)));
    if (*table == nullptr) return ConsoleAction::OutOfMemory;
  }
  bool help = false;
  bool version = false;
  bool optionsEnded = false;
  for (int32_t i = 0; i < count; ++i) {
    const char16_t* arg = args[i];
    if (optionsEnded || arg[0] != u'-' || arg[1] == 0) {
      command->paths[command->pathCount++] = arg;
    } else if (arg[1] == u'-' && arg[2] == 0) {
      optionsEnded = true;
    } else if (arg[1] == u'-') {
      const OptionInfo* option = FindLong(arg + 2, windowsOptions);
      if (option == nullptr) return Unknown(message, arg);
      const char16_t* equals = arg + 2 + TextLength(option->name);
      const char16_t* value = nullptr;
      if (*equals == u'=') {
        value = equals + 1;
        if (!option->takesValue) {
          AppendMessage(message, u"option ");
          AppendOptionName(message, *option);
          AppendMessage(message, u" takes no value");
          return ConsoleAction::UsageError;
        }
      } else if (option->takesValue) {
        if (i + 1 >= count) return MissingValue(message, *option);
        value = args[++i];
      }
      if (!TakeOption(*option, value, command, message)) return ConsoleAction::UsageError;
      help = help || option->id == OptionId::Help;
      version = version || option->id == OptionId::Version;
    } else {
      // A cluster of short options: "-xn", "-ftree", "-x -f tree".
      for (const char16_t* c = arg + 1; *c != 0; ++c) {
        const OptionInfo* option = FindShort(*c);
        if (option == nullptr) {
          const char16_t text[3] = {u'-', *c, 0};
          return Unknown(message, text);
        }
        const char16_t* value = nullptr;
        if (option->takesValue) {
          if (c[1] != 0) {
            value = c + 1;
          } else if (i + 1 < count) {
            value = args[++i];
          } else {
            return MissingValue(message, *option);
          }
        }
        if (!TakeOption(*option, value, command, message)) return ConsoleAction::UsageError;
        help = help || option->id == OptionId::Help;
        if (value != nullptr) break;
      }
    }
  }
  if (help) return ConsoleAction::Help;
  if (version) return ConsoleAction::Version;
  if (command->pathCount == 0) {
    AppendMessage(message, u"no path given");
    return ConsoleAction::UsageError;
  }
  return ConsoleAction::List;
}

void FreeConsoleCommand(ConsoleCommand* command) {
  PlatformFree(command->paths);
  PlatformFree(command->excludes);
  PlatformFree(command->excludeFiles);
  command->paths = command->excludes = command->excludeFiles = nullptr;
  command->pathCount = command->excludeCount = command->excludeFileCount = 0;
}

namespace {

// One --exclude-from file's globs into the request.
ConsoleAction AddExclusionFile(const char16_t* name, ListingRequest* request, ConsoleMessage* message) {
  char16_t* path = name[0] != 0 ? AbsolutePath(name) : nullptr;
  if (path == nullptr && name[0] != 0) return ConsoleAction::OutOfMemory;
  char* bytes = nullptr;
  size_t size = 0;
  FileLoad load = path != nullptr ? g_fileSystem.readFile(path, false, &bytes, &size) : FileLoad::Unreadable;
  int32_t error = path != nullptr ? g_fileSystem.lastError() : 2;  // ENOENT, ERROR_FILE_NOT_FOUND
  PlatformFree(path);
  if (load == FileLoad::OutOfMemory) return ConsoleAction::OutOfMemory;
  if (load == FileLoad::Unreadable) {
    char16_t reason[256];
    DescribeSystemError(error, reason, sizeof(reason) / sizeof(reason[0]));
    AppendMessage(message, u"cannot read --exclude-from file '");
    AppendMessage(message, name);
    AppendMessage(message, u"': ");
    AppendMessage(message, reason);
    return ConsoleAction::UsageError;
  }
  size_t length = 0;
  char16_t* text = DecodeUtf8(bytes, size, &length);
  PlatformFree(bytes);
  if (text == nullptr) return ConsoleAction::OutOfMemory;
  ConsoleAction action = ConsoleAction::List;
  size_t start = length > 0 && text[0] == 0xFEFF ? 1 : 0;  // a byte order mark
  while (start < length && action == ConsoleAction::List) {
    size_t end = start;
    while (end < length && text[end] != u'\n') ++end;
    size_t stop = end > start && text[end - 1] == u'\r' ? end - 1 : end;
    if (stop > start && text[start] != u'#') {
      if (!ValidExclusion(text + start, stop - start)) {
        text[stop] = 0;
        AppendInvalid(message, u"invalid glob", text + start, u"in --exclude-from file '");
        AppendMessage(message, name);
        AppendMessage(message, u"'");
        action = ConsoleAction::UsageError;
      } else if (!AddRequestExclude(request, text + start, stop - start)) {
        action = ConsoleAction::OutOfMemory;
      }
    }
    start = end + 1;
  }
  PlatformFree(text);
  return action;
}

}  // namespace

ConsoleAction AddConsoleExclusions(const ConsoleCommand& command, ListingRequest* request, ConsoleMessage* message) {
  for (int32_t i = 0; i < command.excludeCount; ++i) {
    if (!AddRequestExclude(request, command.excludes[i], TextLength(command.excludes[i]))) return ConsoleAction::OutOfMemory;
  }
  for (int32_t i = 0; i < command.excludeFileCount; ++i) {
    ConsoleAction action = AddExclusionFile(command.excludeFiles[i], request, message);
    if (action != ConsoleAction::List) return action;
  }
  return ConsoleAction::List;
}

void ApplyConsoleCommand(const ConsoleCommand& command, ListingSettings* settings) {
  if (command.pathFormGiven) settings->pathForm = command.pathForm;
  if (command.separatorGiven) settings->separator = command.separator;
  if (command.itemFilterGiven) settings->itemFilter = command.itemFilter;
  if (command.extensionsHidden) settings->extensionShown = false;
  if (command.scanOff) settings->folderScan = false;
}
