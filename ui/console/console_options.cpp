#include "ui/console/console_options.h"

#include <initializer_list>

#include "engine/exclusions.h"
#include "engine/glob.h"
#include "engine/lines.h"
#include "engine/text.h"
#include "platform/filesystem.h"
#include "platform/owned.h"
#include "ui/console/console_platform.h"

namespace {

constexpr ConsoleAction kTaken = ConsoleAction::List;

// Appends the pieces, cut where the message is full; a UsageError.
ConsoleAction Say(ConsoleMessage& message, std::initializer_list<const char16_t*> pieces) {
  constexpr size_t kRoom = sizeof(message.text) / sizeof(message.text[0]) - 1;
  for (const char16_t* text : pieces) {
    for (size_t i = 0; text[i] != 0 && message.length < kRoom; ++i) message.text[message.length++] = text[i];
  }
  message.text[message.length] = 0;
  return ConsoleAction::UsageError;
}

// "<what> '<value>' for --<option><rest>"
ConsoleAction Complain(const OptionValue& value, const char16_t* what, const char16_t* rest) {
  return Say(value.message, {what, u" '", value.text, u"' for --", value.option.name, rest});
}

template <class T>
struct Choice {
  const char16_t* word;
  T value;
};

constexpr Choice<PathForm> kForms[] = {{u"absolute", PathForm::Absolute},
                                       {u"relative", PathForm::Relative},
                                       {u"name", PathForm::NameOnly},
                                       {u"tree", PathForm::Tree}};
constexpr Choice<char16_t> kSeparators[] = {{u"backslash", kBackslash}, {u"slash", kSlash}};
constexpr Choice<ItemFilter> kItems[] = {{u"all", ItemFilter::FilesAndFolders},
                                         {u"files", ItemFilter::FilesOnly},
                                         {u"folders", ItemFilter::FoldersOnly}};

// One of the option's words; a wrong one is told with the words there are.
template <class T, size_t N>
ConsoleAction Pick(const OptionValue& value, const Choice<T> (&choices)[N], std::optional<T>& slot) {
  for (const Choice<T>& choice : choices) {
    if (TextEqual(choice.word, value.text)) return slot = choice.value, kTaken;
  }
  Complain(value, u"invalid value", u" (");
  for (size_t i = 0; i < N; ++i) Say(value.message, {i == 0 ? u"" : u", ", choices[i].word});
  return Say(value.message, {u")"});
}

// A number: decimal digits only, least to most.
ConsoleAction Number(const OptionValue& value, int32_t least, int32_t most, const char16_t* rest, int32_t& slot) {
  int64_t number = 0;
  for (const char16_t* c = value.text; *c != 0; ++c) {
    if (*c < u'0' || *c > u'9' || number > most) return Complain(value, u"invalid value", rest);
    number = number * 10 + (*c - u'0');
  }
  if (value.text[0] == 0 || number < least || number > most) return Complain(value, u"invalid value", rest);
  slot = static_cast<int32_t>(number);
  return kTaken;
}

ConsoleAction Set(bool& flag) { return flag = true, kTaken; }

ConsoleAction Add(Array<const char16_t*>& list, const char16_t* text) {
  return list.Append(text) ? kTaken : ConsoleAction::OutOfMemory;
}

ConsoleAction Affix(const OptionValue& value, AffixSlot slot) {
  return value.command.affixes[slot] = value.text, kTaken;
}

bool ValidExclusion(const char16_t* glob, size_t length) {
  return GlobIsValid(glob, length, ExclusionGlobFlags(kConsolePathStyle));
}

// What an option reader is given.
using In = const OptionValue&;

constexpr ConsoleOption kOptions[] = {
    {u"form", u'f', u"FORM", u"absolute, relative (default), name or tree",
     [](In v) { return Pick(v, kForms, v.command.pathForm); }},
    {u"separator", u's', u"SEP", u"backslash or slash (default: the system's own)",
     [](In v) { return Pick(v, kSeparators, v.command.separator); }},
    {u"items", u'i', u"ITEMS", u"all (default), files or folders",
     [](In v) { return Pick(v, kItems, v.command.itemFilter); }},
    {u"no-extensions", u'x', nullptr, u"hide file extensions", [](In v) { return Set(v.command.extensionsHidden); }},
    {u"no-scan", u'n', nullptr, u"do not list what is inside the given folders",
     [](In v) { return Set(v.command.scanOff); }},
    {u"max-depth", u'L', u"N", u"list at most N levels below each given folder\n(1: its own entries; 0: none)",
     [](In v) { return Number(v, 0, INT32_MAX, u" (a number of levels, 0 or more)", v.command.maxDepth); }},
    {u"exclude", u'E', u"GLOB",
     u"leave out items whose name matches GLOB, and what\nis inside such folders (may be repeated)",
     [](In v) {
       return ValidExclusion(v.text, TextLength(v.text)) ? Add(v.command.excludes, v.text)
                                                         : Complain(v, u"invalid glob", u"");
     }},
    {u"exclude-from", 0, u"FILE",
     u"the same for each glob in FILE, one a line\n(empty lines and lines starting with # skipped)",
     [](In v) { return Add(v.command.excludeFiles, v.text); }},
    {u"gitignore", u'g', nullptr, u"inside a git working tree, leave out what git\nignores",
     [](In v) { return Set(v.command.gitIgnore); }},
    {u"null", u'0', nullptr, u"end each line with a NUL character, not a line end",
     [](In v) { return Set(v.command.nullEnds); }},
    {u"file-prefix", 0, u"TEXT", u"text in front of every file line", [](In v) { return Affix(v, kFilePrefix); }},
    {u"file-suffix", 0, u"TEXT", u"text after every file line", [](In v) { return Affix(v, kFileSuffix); }},
    {u"folder-prefix", 0, u"TEXT", u"text in front of every folder line", [](In v) { return Affix(v, kFolderPrefix); }},
    {u"folder-suffix", 0, u"TEXT", u"text after every folder line", [](In v) { return Affix(v, kFolderSuffix); }},
    // Folders read at once, at most 256: more only hold more requests in flight.
    {u"threads", u'j', u"N",
     u"read up to N folders at once, 1 to 256 (default: 16\nonce folder reads wait on the storage, as on a\n"
     u"network; 1 reads one folder at a time)",
     [](In v) { return Number(v, 1, 256, u" (a number from 1 to 256)", v.command.readers); }},
    {u"utf16", 0, nullptr, u"write the clipboard's exact text: UTF-16LE, lines\njoined with CR LF, none after the last",
     [](In v) { return Set(v.command.utf16); }},
    {u"saved", 0, nullptr, u"start from the settings and texts saved with SAV",
     [](In v) { return Set(v.command.saved); }, true},
    {u"paste", 0, nullptr, u"list the files copied to the clipboard (Explorer's\nCopy or Cut) instead of PATHs",
     [](In v) { return Set(v.command.paste); }, true},
    {u"copy", 0, nullptr, u"put the list on the clipboard instead of printing it",
     [](In v) { return Set(v.command.copy); }, true},
    {u"help", u'h', nullptr, u"show this help", [](In v) { return Set(v.command.help); }},
    {u"version", 0, nullptr, u"show the version", [](In v) { return Set(v.command.version); }},
};

// Whether text starts with name and ends there or at '='.
bool NameMatches(const char16_t* text, const char16_t* name) {
  size_t n = 0;
  while (name[n] != 0 && text[n] == name[n]) ++n;
  return name[n] == 0 && (text[n] == 0 || text[n] == u'=');
}

// A long option by the text after "--", or (text null) a short one (never 0).
const ConsoleOption* FindOption(const char16_t* text, char16_t shortName, bool windowsOptions) {
  for (const ConsoleOption& option : kOptions) {
    bool named = text != nullptr ? NameMatches(text, option.name) : option.shortName == shortName;
    if (named && (windowsOptions || !option.windowsOnly)) return &option;
  }
  return nullptr;
}

ConsoleAction MissingValue(ConsoleMessage& message, const ConsoleOption& option) {
  return Say(message, {u"option --", option.name, u" needs a value"});
}

// One --exclude-from file's globs into the request.
ConsoleAction AddExclusionFile(const char16_t* name, ListingRequest* request, ConsoleMessage& message) {
  Text path = name[0] != 0 ? AbsolutePath(name) : Text();
  if (!path && name[0] != 0) return ConsoleAction::OutOfMemory;
  char* read = nullptr;
  size_t size = 0;
  FileLoad load = path ? g_fileSystem.readFile(path.get(), false, &read, &size) : FileLoad::Unreadable;
  OwnedBlock<char> bytes(read);
  int32_t error = path ? g_fileSystem.lastError() : 2;  // ENOENT, ERROR_FILE_NOT_FOUND
  if (load == FileLoad::OutOfMemory) return ConsoleAction::OutOfMemory;
  if (load == FileLoad::Unreadable) {
    return Say(message, {u"cannot read --exclude-from file '", name, u"': ", SystemReason(error).text});
  }
  size_t length = 0;
  char16_t* decoded = DecodeUtf8(bytes.get(), size, &length);
  Text text = Text::Adopt(decoded, length);
  if (!text) return ConsoleAction::OutOfMemory;
  ConsoleAction action = ConsoleAction::List;
  ForEachLine(text.get(), length, FinalCr::Dropped, [&](const char16_t* line, size_t count) {
    if (count == 0 || line[0] == u'#') return true;
    if (!ValidExclusion(line, count)) {
      char16_t* glob = text.data() + (line - text.get());
      glob[count] = 0;
      action = Say(message, {u"invalid glob '", glob, u"' in --exclude-from file '", name, u"'"});
    } else if (!AddRequestExclude(request, line, count)) {
      action = ConsoleAction::OutOfMemory;
    }
    return action == ConsoleAction::List;
  });
  return action;
}

}  // namespace

const std::span<const ConsoleOption> kConsoleOptions(kOptions);

// Options and paths may come in any order; "--" ends the options, and a lone
// "-" is a path. Help and version win over everything else that is valid.
ConsoleAction ParseConsoleArguments(int32_t count, const char16_t* const* args, bool windowsOptions,
                                    ConsoleCommand& command, ConsoleMessage& message) {
  message.length = 0;
  message.text[0] = 0;
  bool optionsEnded = false;
  for (int32_t i = 0; i < count; ++i) {
    const char16_t* arg = args[i];
    ConsoleAction action = kTaken;
    if (optionsEnded || arg[0] != u'-' || arg[1] == 0) {
      action = Add(command.paths, arg);
    } else if (arg[1] == u'-' && arg[2] == 0) {
      optionsEnded = true;
    } else if (arg[1] == u'-') {
      const ConsoleOption* option = FindOption(arg + 2, 0, windowsOptions);
      if (option == nullptr) return Say(message, {u"unknown option '", arg, u"'"});
      const char16_t* value = arg + 2 + TextLength(option->name);
      if (*value == u'=' && option->valueName == nullptr) {
        return Say(message, {u"option --", option->name, u" takes no value"});
      }
      if (*value != u'=' && option->valueName != nullptr && i + 1 >= count) return MissingValue(message, *option);
      value = *value == u'=' ? value + 1 : option->valueName != nullptr ? args[++i] : nullptr;
      action = option->read({*option, value, command, message});
    } else {
      // A cluster of short options: "-xn", "-ftree", "-x -f tree".
      for (const char16_t* c = arg + 1; *c != 0 && action == kTaken; ++c) {
        const ConsoleOption* option = FindOption(nullptr, *c, windowsOptions);
        if (option == nullptr) {
          const char16_t text[3] = {u'-', *c, 0};
          return Say(message, {u"unknown option '", text, u"'"});
        }
        const char16_t* value = nullptr;
        if (option->valueName != nullptr) {
          if (c[1] == 0 && i + 1 >= count) return MissingValue(message, *option);
          value = c[1] != 0 ? c + 1 : args[++i];
        }
        action = option->read({*option, value, command, message});
        if (value != nullptr) break;
      }
    }
    if (action != kTaken) return action;
  }
  if (command.help) return ConsoleAction::Help;
  if (command.version) return ConsoleAction::Version;
  if (command.paste && !command.paths.empty()) return Say(message, {u"--paste takes no path"});
  if (command.paths.empty() && !command.paste) return Say(message, {u"no path given"});
  return ConsoleAction::List;
}

ConsoleAction AddConsoleExclusions(const ConsoleCommand& command, ListingRequest* request, ConsoleMessage& message) {
  for (const char16_t* glob : command.excludes) {
    if (!AddRequestExclude(request, glob, TextLength(glob))) return ConsoleAction::OutOfMemory;
  }
  for (const char16_t* file : command.excludeFiles) {
    ConsoleAction action = AddExclusionFile(file, request, message);
    if (action != ConsoleAction::List) return action;
  }
  return ConsoleAction::List;
}

void ApplyConsoleCommand(const ConsoleCommand& command, ListingSettings* settings) {
  if (command.pathForm) settings->pathForm = *command.pathForm;
  if (command.separator) settings->separator = *command.separator;
  if (command.itemFilter) settings->itemFilter = *command.itemFilter;
  if (command.extensionsHidden) settings->extensionShown = false;
  if (command.scanOff) settings->folderScan = false;
}
