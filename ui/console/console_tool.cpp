#include "ui/console/console_tool.h"

#include <atomic>
#include <cstring>

#include "engine/listing.h"
#include "engine/listing_text.h"
#include "engine/text.h"
#include "job/job_request.h"
#include "platform/console.h"
#include "platform/memory.h"
#include "platform/utf8.h"
#include "resources/resource.h"
#include "ui/console/console_options.h"
#include "ui/console/console_platform.h"
#include "ui/console/progress_line.h"

namespace {

constexpr int kExitListed = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

const char16_t kUsage[] =
    u"Usage: dorrowin-list [OPTION]... PATH...\n"
    u"Lists the paths, and everything inside the folders among them, in natural,\n"
    u"Japanese-aware name order, one line per item, as Dorrowin puts them on the\n"
    u"clipboard.\n"
    u"\n"
    u"  -f, --form=FORM          absolute, relative (default), name or tree\n"
    u"  -s, --separator=SEP      backslash or slash (default: the system's own)\n"
    u"  -i, --items=ITEMS        all (default), files or folders\n"
    u"  -x, --no-extensions      hide file extensions\n"
    u"  -n, --no-scan            do not list what is inside the given folders\n"
    u"  -L, --max-depth=N        list at most N levels below each given folder\n"
    u"                           (1: its own entries; 0: none)\n"
    u"  -E, --exclude=GLOB       leave out items whose name matches GLOB, and what\n"
    u"                           is inside such folders (may be repeated)\n"
    u"      --exclude-from=FILE  the same for each glob in FILE, one a line\n"
    u"                           (empty lines and lines starting with # skipped)\n"
    u"  -g, --gitignore          inside a git working tree, leave out what git\n"
    u"                           ignores\n"
    u"  -0, --null               end each line with a NUL character, not a line end\n"
    u"      --file-prefix=TEXT   text in front of every file line\n"
    u"      --file-suffix=TEXT   text after every file line\n"
    u"      --folder-prefix=TEXT text in front of every folder line\n"
    u"      --folder-suffix=TEXT text after every folder line\n"
    u"  -j, --threads=N          read up to N folders at once, 1 to 256 (default: 16\n"
    u"                           once folder reads wait on the storage, as on a\n"
    u"                           network; 1 reads one folder at a time)\n"
    u"      --utf16              write the clipboard's exact text: UTF-16LE, lines\n"
    u"                           joined with CR LF, none after the last\n";
const char16_t kWindowsUsage[] =
    u"      --saved              start from the settings and texts saved with SAV\n"
    u"      --copy               put the list on the clipboard instead of printing it\n";
const char16_t kUsageEnd[] =
    u"  -h, --help               show this help\n"
    u"      --version            show the version\n"
    u"\n"
    u"Exit status: 0 listed, 1 a path or folder could not be read (the rest is\n"
    u"listed) or the listing failed, 2 wrong usage, 130 interrupted.\n";

// Standard output as the listing's sink: lines are encoded into a buffer of
// fixed size that is written out whenever it fills, so memory does not grow
// with the output.
enum class OutputMode { ConsoleUnits, Utf8, Utf16 };

struct ConsoleOutput {
  OutputMode mode;
  char bytes[1 << 16];
  char16_t units[1 << 14];
  size_t used;  // bytes or units, by mode
  bool nullEnds;  // --null
  uint64_t lines;
  WriteResult state;
  int problems;
  ProgressLine* progress;
};

// Once the output has failed, what is buffered is dropped: the buffer is
// emptied on every flush either way.
void Flush(ConsoleOutput* out) {
  if (out->used > 0 && out->state == WriteResult::Written) {
    out->state = out->mode == OutputMode::ConsoleUnits ? WriteConsoleUnits(out->units, out->used)
                                                       : WriteOutputBytes(out->bytes, out->used);
  }
  out->used = 0;
}

// Room for `bytes` more bytes (at most 4, one encoded character).
void ReserveBytes(ConsoleOutput* out, size_t bytes) {
  if (out->used + bytes > sizeof(out->bytes)) Flush(out);
}

void PutUnits(ConsoleOutput* out, const char16_t* units, size_t count) {
  if (out->mode == OutputMode::ConsoleUnits) {
    constexpr size_t kRoom = sizeof(out->units) / sizeof(out->units[0]);
    while (count > 0) {
      if (out->used == kRoom) Flush(out);
      size_t n = kRoom - out->used < count ? kRoom - out->used : count;
      std::memcpy(out->units + out->used, units, n * sizeof(char16_t));
      out->used += n;
      units += n;
      count -= n;
    }
  } else if (out->mode == OutputMode::Utf16) {
    for (size_t i = 0; i < count; ++i) {
      ReserveBytes(out, 2);
      out->bytes[out->used++] = static_cast<char>(units[i] & 0xFF);
      out->bytes[out->used++] = static_cast<char>(units[i] >> 8);
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
      ReserveBytes(out, 4);
      out->used += EncodeNextUtf8(units, count, &i, kOutputLoneSurrogates, out->bytes + out->used);
    }
  }
}

// Text mode ends every line, the last included; --utf16 joins them with
// CR LF as the clipboard does; --null ends every line with NUL instead.
bool WriteLine(void* context, const char16_t* units, size_t count) {
  auto* out = static_cast<ConsoleOutput*>(context);
  if (out->mode == OutputMode::Utf16 && out->lines > 0 && !out->nullEnds) PutUnits(out, u"\r\n", 2);
  PutUnits(out, units, count);
  if (out->nullEnds) {
    PutUnits(out, u"", 1);
  } else if (out->mode != OutputMode::Utf16) {
    PutUnits(out, kConsoleLineEnd, TextLength(kConsoleLineEnd));
  }
  out->lines += 1;
  return out->state == WriteResult::Written;
}

void WriteError(const char16_t* text) { WriteErrorText(text, TextLength(text)); }

// Messages end their lines as the system does, like the listing.
void EndErrorLine() { WriteError(kConsoleLineEnd); }

// "dorrowin-list: <what> '<path>': <reason>"
void ReportPathError(const char16_t* what, const char16_t* path, int32_t error) {
  char16_t reason[256];
  DescribeSystemError(error, reason, sizeof(reason) / sizeof(reason[0]));
  WriteError(u"dorrowin-list: ");
  WriteError(what);
  WriteError(u" '");
  WriteError(path);
  WriteError(u"': ");
  WriteError(reason);
  EndErrorLine();
}

// Problems go to standard error as they happen; what was listed before
// them goes out first, so that the two streams read in order on a terminal.
void TellProblem(void* context, const ListingProblem& problem) {
  auto* out = static_cast<ConsoleOutput*>(context);
  Flush(out);
  out->problems += 1;
  BeginProgressMessage(out->progress);
  ReportPathError(problem.kind == ListingProblemKind::UnreadableItem ? u"cannot access" : u"cannot read folder",
                  problem.path, problem.error);
  EndProgressMessage(out->progress);
}

int UsageError(const ConsoleMessage& message) {
  WriteError(u"dorrowin-list: ");
  WriteError(message.text);
  EndErrorLine();
  WriteError(u"Try 'dorrowin-list --help' for more information.");
  EndErrorLine();
  return kExitUsage;
}

int OutOfMemory() {
  WriteError(u"dorrowin-list: out of memory");
  EndErrorLine();
  return kExitProblems;
}

// Help and version go to standard output like a listing.
int PrintText(ConsoleOutput* out, const char16_t* const* texts, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    // Text lines end with the system's line end.
    const char16_t* text = texts[i];
    size_t start = 0;
    for (size_t k = 0; text[k] != 0; ++k) {
      if (text[k] != u'\n') continue;
      PutUnits(out, text + start, k - start);
      PutUnits(out, kConsoleLineEnd, TextLength(kConsoleLineEnd));
      start = k + 1;
    }
  }
  Flush(out);
  return out->state == WriteResult::Failed ? kExitProblems : kExitListed;
}

// The request: the base settings (the defaults with the system's separator,
// or the saved ones), the command line's over them, the texts given or
// saved, and every path made absolute. The job's own request builder does
// the rest, as for the window.
bool MakeRequest(const ConsoleCommand& command, ListingRequest* request) {
  ListingSettings settings = kDefaultSettings;
  settings.separator = kConsoleSeparator;
  char16_t* saved[kAffixCount] = {};
  bool made = !command.saved || LoadSavedSettings(&settings, saved);
  ApplyConsoleCommand(command, &settings);
  const char16_t* texts[kAffixCount] = {};
  for (int32_t i = 0; i < kAffixCount; ++i) texts[i] = command.affixes[i] != nullptr ? command.affixes[i] : saved[i];
  made = made && MakeJobRequest(&settings, kConsolePathStyle, texts, request);
  request->options.readers = command.readers;
  request->options.maxDepth = command.maxDepth;
  request->options.gitIgnore = command.gitIgnore;
  for (char16_t* text : saved) PlatformFree(text);
  for (int32_t i = 0; i < command.pathCount && made; ++i) {
    // An empty argument stays empty: it names nothing and is reported so.
    const char16_t* arg = command.paths[i];
    char16_t* path = arg[0] != 0 ? AbsolutePath(arg) : nullptr;
    made = (path != nullptr || arg[0] == 0) &&
           AddRequestPath(request, path != nullptr ? path : arg, TextLength(path != nullptr ? path : arg));
    PlatformFree(path);
  }
  return made;
}

int ListToOutput(const ListingRequest& request, const std::atomic<bool>& abort, ConsoleOutput* out) {
  StartProgressLine(out->progress);
  ListingOutcome outcome = StreamListing(request, abort, ListingSink{out, WriteLine, TellProblem, &out->progress->counts});
  StopProgressLine(out->progress);
  if (abort.load()) return kExitInterrupted;
  if (outcome == ListingOutcome::Done) Flush(out);
  if (out->state == WriteResult::Closed) return kExitListed;
  if (out->state == WriteResult::Failed) {
    char16_t reason[256];
    DescribeSystemError(OutputError(), reason, sizeof(reason) / sizeof(reason[0]));
    WriteError(u"dorrowin-list: cannot write the list: ");
    WriteError(reason);
    EndErrorLine();
    return kExitProblems;
  }
  if (outcome == ListingOutcome::Failed) return OutOfMemory();
  return out->problems > 0 ? kExitProblems : kExitListed;
}

// --copy: the clipboard's text in full, then the clipboard, as the window
// does; problems are told on standard error all the same.
struct CopyTarget {
  ListingSink text;
  ConsoleOutput* out;
};

bool WriteCopiedLine(void* context, const char16_t* units, size_t count) {
  const ListingSink& text = static_cast<CopyTarget*>(context)->text;
  return text.writeLine(text.context, units, count);
}

void TellCopyProblem(void* context, const ListingProblem& problem) {
  TellProblem(static_cast<CopyTarget*>(context)->out, problem);
}

int ListToClipboard(const ListingRequest& request, const std::atomic<bool>& abort, ConsoleOutput* out) {
  ListingText text{};
  CopyTarget target{TextSink(&text), out};
  StartProgressLine(out->progress);
  ListingOutcome outcome =
      StreamListing(request, abort, ListingSink{&target, WriteCopiedLine, TellCopyProblem, &out->progress->counts});
  StopProgressLine(out->progress);
  bool copied = outcome == ListingOutcome::Done && CopyTextToClipboard(text);
  if (abort.load()) return kExitInterrupted;
  if (outcome == ListingOutcome::Failed) return OutOfMemory();
  if (!copied) {
    WriteError(u"dorrowin-list: cannot put the list on the clipboard");
    EndErrorLine();
    return kExitProblems;
  }
  return out->problems > 0 ? kExitProblems : kExitListed;
}

}  // namespace

int RunConsoleTool(int32_t count, const char16_t* const* args) {
  ConsoleCommand command{};
  ConsoleMessage message{};
  ConsoleAction action = ParseConsoleArguments(count, args, kConsoleHasSavedSettings, &command, &message);
  // The output record is large for the stack; it lives as long as the run.
  auto* out = static_cast<ConsoleOutput*>(PlatformAlloc(sizeof(ConsoleOutput)));
  if (out == nullptr || action == ConsoleAction::OutOfMemory) {
    PlatformFree(out);
    FreeConsoleCommand(&command);
    return OutOfMemory();
  }
  out->mode = command.utf16 ? OutputMode::Utf16 : StandardOutputIsConsole() ? OutputMode::ConsoleUnits : OutputMode::Utf8;
  out->used = 0;
  out->nullEnds = command.nullEnds;
  out->lines = 0;
  out->state = WriteResult::Written;
  out->problems = 0;
  ProgressLine progress{};
  out->progress = &progress;

  int status = kExitListed;
  if (action == ConsoleAction::UsageError) {
    status = UsageError(message);
  } else if (action == ConsoleAction::Help) {
    const char16_t* texts[] = {kUsage, kConsoleHasSavedSettings ? kWindowsUsage : u"", kUsageEnd};
    status = PrintText(out, texts, 3);
  } else if (action == ConsoleAction::Version) {
    const char16_t* texts[] = {u"dorrowin-list " u"" DORROWIN_VERSION_TEXT u"\n"};
    status = PrintText(out, texts, 1);
  } else {
    static std::atomic<bool> abort{false};
    WatchInterrupt(&abort);
    ListingRequest request{};
    ConsoleAction excluded = MakeRequest(command, &request) ? AddConsoleExclusions(command, &request, &message)
                                                            : ConsoleAction::OutOfMemory;
    if (excluded == ConsoleAction::OutOfMemory) {
      status = OutOfMemory();
    } else if (excluded == ConsoleAction::UsageError) {
      status = UsageError(message);
    } else if (command.copy) {
      status = ListToClipboard(request, abort, out);
    } else {
      status = ListToOutput(request, abort, out);
    }
    FreeListingRequest(&request);
  }
  PlatformFree(out);
  FreeConsoleCommand(&command);
  return status;
}
