#include "ui/console/console_tool.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <initializer_list>
#include <iterator>
#include <optional>

#include "engine/exclusions.h"
#include "engine/glob.h"
#include "engine/lines.h"
#include "engine/listing.h"
#include "engine/listing_request.h"
#include "engine/listing_text.h"
#include "engine/text.h"
#include "job/job_request.h"
#include "platform/array.h"
#include "platform/console.h"
#include "platform/filesystem.h"
#include "platform/owned.h"
#include "platform/thread.h"
#include "platform/utf8.h"
#include "resources/resource.h"
#include "ui/console/console_options.h"
#include "ui/console/console_platform.h"

// What the command line gives; the rest keeps its base values.
struct ConsoleCommand {
  std::optional<PathForm> pathForm;
  std::optional<char16_t> separator;
  std::optional<ItemFilter> itemFilter;
  bool extensionsHidden = false;  // --no-extensions
  bool scanOff = false;           // --no-scan
  int32_t readers = 0;            // --threads; 0 when not given
  int32_t maxDepth = -1;          // --max-depth; -1 when not given
  bool gitIgnore = false;
  bool nullEnds = false;  // --null
  bool saved = false;
  bool copy = false;
  bool paste = false;
  bool utf16 = false;
  bool help = false;
  bool version = false;
  const char16_t* affixes[kAffixCount] = {};  // null when not given
  // The arguments' own texts in their order.
  Array<const char16_t*> excludes;
  Array<const char16_t*> excludeFiles;
  Array<const char16_t*> paths;
};

// A message of bounded size: longer texts are cut, never overrun.
struct ConsoleMessage {
  char16_t text[512] = {};
  size_t length = 0;
};

// The system's words for an error code, as a piece of a message.
struct SystemReason {
  explicit SystemReason(int32_t error) { DescribeSystemError(error, text, sizeof(text) / sizeof(text[0])); }
  char16_t text[256];
};

// An option's value as its reader gets it: null for an option without one.
struct OptionValue {
  const ConsoleOption& option;
  const char16_t* text;
  ConsoleCommand& command;
  ConsoleMessage& message;
};

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
  const char16_t* c = value.text;
  for (; *c >= u'0' && *c <= u'9' && number <= most; ++c) number = number * 10 + (*c - u'0');
  if (*c != 0 || c == value.text || number < least || number > most) return Complain(value, u"invalid value", rest);
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

// A long option by the text after "--" (its name, alone or before '='), or
// (text null) a short one (never 0).
const ConsoleOption* FindOption(const char16_t* text, char16_t shortName) {
  for (const ConsoleOption& option : kOptions) {
    size_t n = 0;
    while (text != nullptr && option.name[n] != 0 && text[n] == option.name[n]) ++n;
    bool named = text != nullptr ? option.name[n] == 0 && (text[n] == 0 || text[n] == u'=')
                                 : option.shortName == shortName;
    if (named && (kConsoleHasSavedSettings || !option.windowsOnly)) return &option;
  }
  return nullptr;
}

// One --exclude-from file's globs into the request: one a line (a CR before
// the line's end dropped), empty lines and lines starting with '#' skipped.
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

// Options and paths may come in any order; "--" ends the options, and a lone
// "-" is a path. Help and version win over everything else that is valid.
ConsoleAction ParseArguments(int32_t count, const char16_t* const* args, ConsoleCommand& command,
                             ConsoleMessage& message) {
  bool optionsEnded = false;
  for (int32_t i = 0; i < count; ++i) {
    const char16_t* arg = args[i];
    ConsoleAction action = kTaken;
    // The value given with the option, else the next argument.
    auto read = [&](const ConsoleOption& option, const char16_t* value) {
      if (option.valueName != nullptr && value == nullptr) {
        if (i + 1 >= count) return Say(message, {u"option --", option.name, u" needs a value"});
        value = args[++i];
      }
      return option.read({option, value, command, message});
    };
    if (optionsEnded || arg[0] != u'-' || arg[1] == 0) {
      action = Add(command.paths, arg);
    } else if (arg[1] == u'-' && arg[2] == 0) {
      optionsEnded = true;
    } else if (arg[1] == u'-') {
      const ConsoleOption* option = FindOption(arg + 2, 0);
      if (option == nullptr) return Say(message, {u"unknown option '", arg, u"'"});
      const char16_t* value = arg + 2 + TextLength(option->name);
      if (*value == u'=' && option->valueName == nullptr) {
        return Say(message, {u"option --", option->name, u" takes no value"});
      }
      action = read(*option, *value == u'=' ? value + 1 : nullptr);
    } else {
      // A cluster of short options: "-xn", "-ftree", "-x -f tree".
      for (const char16_t* c = arg + 1; *c != 0 && action == kTaken; ++c) {
        const ConsoleOption* option = FindOption(nullptr, *c);
        if (option == nullptr) {
          const char16_t text[3] = {u'-', *c, 0};
          return Say(message, {u"unknown option '", text, u"'"});
        }
        action = read(*option, option->valueName != nullptr && c[1] != 0 ? c + 1 : nullptr);
        if (option->valueName != nullptr) break;
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

// The command line's settings, texts and exclusions over the base ones (the
// defaults with the system's separator, or the saved ones), made as for the window.
ConsoleAction MakeRequest(const ConsoleCommand& command, ListingRequest* request, ConsoleMessage& message) {
  ListingSettings settings = kDefaultSettings;
  settings.separator = kConsoleSeparator;
  Text saved[kAffixCount];
  if (command.saved && !LoadSavedSettings(&settings, saved)) return ConsoleAction::OutOfMemory;
  if (command.pathForm) settings.pathForm = *command.pathForm;
  if (command.separator) settings.separator = *command.separator;
  if (command.itemFilter) settings.itemFilter = *command.itemFilter;
  if (command.extensionsHidden) settings.extensionShown = false;
  if (command.scanOff) settings.folderScan = false;
  const char16_t* texts[kAffixCount] = {};
  for (int32_t i = 0; i < kAffixCount; ++i) texts[i] = command.affixes[i] != nullptr ? command.affixes[i] : saved[i].get();
  if (!MakeJobRequest(&settings, kConsolePathStyle, texts, request)) return ConsoleAction::OutOfMemory;
  request->options.readers = command.readers;
  request->options.maxDepth = command.maxDepth;
  request->options.gitIgnore = command.gitIgnore;
  for (const char16_t* arg : command.paths) {
    // An empty argument stays empty: it names nothing and is reported so.
    Text path = arg[0] != 0 ? AbsolutePath(arg) : Text();
    bool added = (path || arg[0] == 0) && AddRequestPath(request, path ? path.get() : u"", path.length());
    if (!added) return ConsoleAction::OutOfMemory;
  }
  for (const char16_t* glob : command.excludes) {
    if (!AddRequestExclude(request, glob, TextLength(glob))) return ConsoleAction::OutOfMemory;
  }
  for (const char16_t* file : command.excludeFiles) {
    ConsoleAction action = AddExclusionFile(file, request, message);
    if (action != ConsoleAction::List) return action;
  }
  return ConsoleAction::List;
}

enum ExitStatus { kExitListed = 0, kExitProblems = 1, kExitUsage = 2, kExitInterrupted = 130 };

// --help: this, a line for each option, then kUsageEnd.
const char16_t kUsage[] =
    u"Usage: dorrowin-list [OPTION]... PATH...\n"
    u"Lists the paths, and everything inside the folders among them, in natural,\n"
    u"Japanese-aware name order, one line per item, as Dorrowin puts them on the\n"
    u"clipboard.\n"
    u"\n";
const char16_t kUsageEnd[] =
    u"\n"
    u"Exit status: 0 listed, 1 a path or folder could not be read (the rest is\n"
    u"listed) or the listing failed, 2 wrong usage, 130 interrupted.\n";

// When standard error is a terminal (and standard output is not), a listing
// that runs longer than about half a second shows one line there counting the
// folders and entries read, a few times a second, erased when the listing ends.
struct ProgressLine {
  ListingProgress counts{};       // the listing's counters
  SyncHandle sync = nullptr;      // null: no line
  ThreadHandle thread = nullptr;  // null: none drawing
  bool done = false;              // under the lock
  int32_t shownWidth = 0;         // under the lock: units of the line on the screen; 0: none
};

constexpr int32_t kTickMilliseconds = 250;
// Ticks before the first drawing: a listing that ends sooner shows nothing.
constexpr int32_t kQuietTicks = 2;

// With the lock held: "\r<folders> folders, <entries> entries read" (erasing:
// nothing, then "\r"), padded over a longer line drawn before. At most
// 1 + 20 + 10 + 20 + 13 units and as much padding: the buffer holds it.
void Draw(ProgressLine* line, bool erase) {
  if (erase && line->shownWidth == 0) return;
  char16_t text[80] = {u'\r'};
  int32_t length = 1;
  auto append = [&](const char16_t* piece) {
    while (*piece != 0) text[length++] = *piece++;
  };
  auto number = [&](const std::atomic<uint64_t>& counter) {
    int32_t first = length;
    for (uint64_t v = counter.load(std::memory_order_relaxed); v != 0 || length == first; v /= 10) {
      text[length++] = static_cast<char16_t>(u'0' + v % 10);
    }
    std::reverse(text + first, text + length);
  };
  if (!erase) {
    number(line->counts.folders);
    append(u" folders, ");
    number(line->counts.entries);
    append(u" entries read");
  }
  int32_t width = length - 1;
  while (length - 1 < line->shownWidth) text[length++] = u' ';
  if (erase) text[length++] = u'\r';
  WriteErrorText(text, static_cast<size_t>(length));
  line->shownWidth = erase ? 0 : width > line->shownWidth ? width : line->shownWidth;
}

void RunProgressLine(void* parameter) {
  auto* line = static_cast<ProgressLine*>(parameter);
  g_thread.lock(line->sync);
  for (int32_t tick = 1; !line->done; ++tick) {
    g_thread.waitSync(line->sync, kTickMilliseconds);
    if (!line->done && tick >= kQuietTicks) Draw(line, false);
  }
  Draw(line, true);
  g_thread.unlock(line->sync);
}

// Without a terminal that wants a line, a lock or a thread, nothing is drawn.
void StartProgressLine(ProgressLine* line) {
  line->sync = ProgressLineWanted() ? g_thread.createSync() : nullptr;
  if (line->sync != nullptr) line->thread = g_thread.startThread(RunProgressLine, line);
}

// Erases the line and ends its thread.
void StopProgressLine(ProgressLine* line) {
  if (line->thread != nullptr) {
    g_thread.lock(line->sync);
    line->done = true;
    g_thread.wakeAll(line->sync);
    g_thread.unlock(line->sync);
    g_thread.waitThread(line->thread);
    g_thread.closeThread(line->thread);
  }
  if (line->sync != nullptr) g_thread.destroySync(line->sync);
}

// Standard output as the listing's sink: a buffer of fixed size (too large for
// the stack), written out whenever it fills, so memory does not grow with the output.
enum class OutputMode { ConsoleUnits, Utf8, Utf16 };
static_assert(std::endian::native == std::endian::little);

struct ConsoleOutput {
  ConsoleOutput(OutputMode mode, bool nullEnds) : mode(mode), nullEnds(nullEnds) {}
  OutputMode mode;
  bool nullEnds;  // --null
  ProgressLine progress;
  const ListingSink* copy = nullptr;  // --copy: the lines go to the clipboard's text instead
  // Units for the console and --utf16 (written as they lie: little-endian), else UTF-8 bytes.
  union {
    char16_t units[1 << 15];
    char bytes[1 << 16];
  };
  size_t used = 0;  // units or bytes, by mode
  uint64_t lines = 0;
  WriteResult state = WriteResult::Written;
  int problems = 0;
};

// Once the output has failed, what is buffered is dropped.
void Flush(ConsoleOutput* out) {
  if (out->used > 0 && out->state == WriteResult::Written) {
    out->state = out->mode == OutputMode::ConsoleUnits ? WriteConsoleUnits(out->units, out->used)
                 : out->mode == OutputMode::Utf16 ? WriteOutputBytes(reinterpret_cast<char*>(out->units), out->used * 2)
                                                  : WriteOutputBytes(out->bytes, out->used);
  }
  out->used = 0;
}

void PutUnits(ConsoleOutput* out, const char16_t* units, size_t count) {
  if (out->mode != OutputMode::Utf8) {
    for (size_t i = 0; i < count; ++i) {
      if (out->used == std::size(out->units)) Flush(out);
      out->units[out->used++] = units[i];
    }
  } else {
    // A unit takes at most three bytes (a pair four for its two units): a
    // piece that fits is encoded without a check per unit.
    if (count <= sizeof(out->bytes) / 3) {
      if (out->used + count * 3 > sizeof(out->bytes)) Flush(out);
      size_t i = 0;
      while (i < count && units[i] < 0x80) out->bytes[out->used++] = static_cast<char>(units[i++]);
      units += i;
      count -= i;
    }
    for (size_t i = 0; i < count;) {
      if (out->used + 4 > sizeof(out->bytes)) Flush(out);  // room for one encoded character
      out->used += EncodeNextUtf8(units, count, &i, kOutputLoneSurrogates, out->bytes + out->used);
    }
  }
}

void Put(ConsoleOutput* out, const char16_t* text) { PutUnits(out, text, TextLength(text)); }

// Text mode ends every line, the last included; --utf16 joins them with
// CR LF as the clipboard does; --null ends every line with NUL instead.
bool WriteLine(void* context, const char16_t* units, size_t count) {
  auto* out = static_cast<ConsoleOutput*>(context);
  if (out->copy != nullptr) return out->copy->writeLine(out->copy->context, units, count);
  if (out->mode == OutputMode::Utf16 && out->lines > 0 && !out->nullEnds) Put(out, u"\r\n");
  PutUnits(out, units, count);
  if (out->nullEnds) {
    PutUnits(out, u"", 1);
  } else if (out->mode != OutputMode::Utf16) {
    Put(out, kConsoleLineEnd);
  }
  out->lines += 1;
  return out->state == WriteResult::Written;
}

void WriteError(const char16_t* text) { WriteErrorText(text, TextLength(text)); }

// "dorrowin-list: " and the pieces as a line on standard error; exit status 1.
int Problem(std::initializer_list<const char16_t*> pieces) {
  WriteError(u"dorrowin-list: ");
  for (const char16_t* piece : pieces) WriteError(piece);
  WriteError(kConsoleLineEnd);
  return kExitProblems;
}

int OutOfMemory() { return Problem({u"out of memory"}); }

int UsageError(const ConsoleMessage& message) {
  Problem({message.text});
  WriteError(u"Try 'dorrowin-list --help' for more information.");
  WriteError(kConsoleLineEnd);
  return kExitUsage;
}

// Told as they happen, after what was listed before them, so that the two
// streams read in order on a terminal; the progress line waits meanwhile.
void TellProblem(void* context, const ListingProblem& problem) {
  auto* out = static_cast<ConsoleOutput*>(context);
  Flush(out);
  out->problems += 1;
  SyncHandle sync = out->progress.sync;
  if (sync != nullptr) {
    g_thread.lock(sync);
    Draw(&out->progress, true);
  }
  bool item = problem.kind == ListingProblemKind::UnreadableItem;
  Problem({item ? u"cannot access '" : u"cannot read folder '", problem.path, u"': ",
           SystemReason(problem.error).text});
  if (sync != nullptr) g_thread.unlock(sync);
}

// Writes text, each '\n' as the system's line end and then indent.
void PutText(ConsoleOutput* out, const char16_t* text, const char16_t* indent = u"") {
  for (size_t start = 0, k = 0;; ++k) {
    if (text[k] != u'\n' && text[k] != 0) continue;
    PutUnits(out, text + start, k - start);
    if (text[k] == 0) return;
    Put(out, kConsoleLineEnd);
    Put(out, indent);
    start = k + 1;
  }
}

// Help and version go to standard output like a listing.
int EndText(ConsoleOutput* out) {
  Flush(out);
  return out->state == WriteResult::Failed ? kExitProblems : kExitListed;
}

// An option's names and value, then its help lines from column 27.
int PrintHelp(ConsoleOutput* out) {
  constexpr char16_t kColumn[] = u"                           ";
  PutText(out, kUsage);
  for (const ConsoleOption& option : kOptions) {
    if (option.windowsOnly && !kConsoleHasSavedSettings) continue;
    const char16_t shortName[] = {u'-', option.shortName, u',', u' ', 0};
    const char16_t* value = option.valueName != nullptr ? option.valueName : u"";
    size_t width = 0;
    for (const char16_t* piece : {u"  ", option.shortName != 0 ? shortName : u"    ", u"--", option.name,
                                  *value != 0 ? u"=" : u"", value}) {
      Put(out, piece);
      width += TextLength(piece);
    }
    PutUnits(out, kColumn, width < 26 ? 27 - width : 1);
    PutText(out, option.help, kColumn);
    Put(out, kConsoleLineEnd);
  }
  PutText(out, kUsageEnd);
  return EndText(out);
}

// Lists to standard output, or (copy) into the clipboard's text as the window does.
int List(const ListingRequest& request, const std::atomic<bool>& abort, ConsoleOutput* out, bool copy) {
  ListingText text;
  ListingSink copied = TextSink(&text);
  if (copy) out->copy = &copied;
  StartProgressLine(&out->progress);
  ListingOutcome outcome =
      StreamListing(request, abort, ListingSink{out, WriteLine, TellProblem, &out->progress.counts});
  StopProgressLine(&out->progress);
  bool onClipboard = copy && outcome == ListingOutcome::Done && CopyTextToClipboard(text);
  if (abort.load()) return kExitInterrupted;
  if (!copy && outcome == ListingOutcome::Done) Flush(out);
  if (out->state == WriteResult::Closed) return kExitListed;
  if (out->state == WriteResult::Failed) return Problem({u"cannot write the list: ", SystemReason(OutputError()).text});
  if (outcome == ListingOutcome::Failed) return OutOfMemory();
  if (copy && !onClipboard) return Problem({u"cannot put the list on the clipboard"});
  return out->problems > 0 ? kExitProblems : kExitListed;
}

}  // namespace

const std::span<const ConsoleOption> kConsoleOptions(kOptions);

int RunConsoleTool(int32_t count, const char16_t* const* args) {
  ConsoleCommand command;
  ConsoleMessage message;
  ConsoleAction action = ParseArguments(count, args, command, message);
  OutputMode mode = command.utf16                 ? OutputMode::Utf16
                    : StandardOutputIsConsole() ? OutputMode::ConsoleUnits
                                                : OutputMode::Utf8;
  Owned<ConsoleOutput> out = MakeOwned<ConsoleOutput>(mode, command.nullEnds);
  static std::atomic<bool> abort{false};
  ListingRequest request;
  if (out != nullptr && action == ConsoleAction::List) {
    WatchInterrupt(&abort);
    action = MakeRequest(command, &request, message);
  }
  if (out == nullptr || action == ConsoleAction::OutOfMemory) return OutOfMemory();
  if (action == ConsoleAction::UsageError) return UsageError(message);
  if (action == ConsoleAction::Help) return PrintHelp(out.get());
  if (action == ConsoleAction::Version) {
    PutText(out.get(), u"dorrowin-list " u"" DORROWIN_VERSION_TEXT u"\n");
    return EndText(out.get());
  }
  PasteResult pasted = command.paste ? AddPastedPaths(&request) : PasteResult::Taken;
  if (pasted == PasteResult::NoFiles) return Problem({u"no files on the clipboard"});
  if (pasted == PasteResult::Busy) return Problem({u"cannot open the clipboard"});
  if (pasted == PasteResult::NoMemory) return OutOfMemory();
  return List(request, abort, out.get(), command.copy);
}
