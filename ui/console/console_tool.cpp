#include "ui/console/console_tool.h"

#include <atomic>
#include <cstring>
#include <initializer_list>

#include "engine/listing.h"
#include "engine/listing_text.h"
#include "engine/text.h"
#include "job/job_request.h"
#include "platform/console.h"
#include "platform/owned.h"
#include "platform/thread.h"
#include "platform/utf8.h"
#include "resources/resource.h"
#include "ui/console/console_options.h"
#include "ui/console/console_platform.h"

namespace {

constexpr int kExitListed = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

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
  ListingProgress counts;  // the listing's counters
  SyncHandle sync;         // null: no line
  ThreadHandle thread;
  bool done;           // under the lock
  int32_t shownWidth;  // under the lock: units of the line on the screen; 0: none
};

constexpr int32_t kTickMilliseconds = 250;
// Ticks before the first drawing: a listing that ends sooner shows nothing.
constexpr int32_t kQuietTicks = 2;

// With the lock held: "\r<folders> folders, <entries> entries read", or
// when erasing nothing and "\r" after it, padded over a longer line drawn
// before. At most 1 + 20 + 10 + 20 + 13 units and as much padding: the buffer holds it.
void Draw(ProgressLine* line, bool erase) {
  if (erase && line->shownWidth == 0) return;
  char16_t text[80] = {u'\r'};
  int32_t length = 1;
  auto append = [&](const char16_t* piece) {
    while (*piece != 0) text[length++] = *piece++;
  };
  auto number = [&](const std::atomic<uint64_t>& counter) {
    char16_t digits[21] = {};
    int32_t first = 20;
    uint64_t value = counter.load(std::memory_order_relaxed);
    do {
      digits[--first] = static_cast<char16_t>(u'0' + value % 10);
    } while ((value /= 10) != 0);
    append(digits + first);
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

// Starts the line's thread when the terminal wants a line and a thread can
// be had; otherwise there is no line and the calls below do nothing.
void StartProgressLine(ProgressLine* line) {
  line->sync = nullptr;
  line->thread = nullptr;
  line->done = false;
  line->shownWidth = 0;
  if (!ProgressLineWanted()) return;
  line->sync = g_thread.createSync();
  if (line->sync == nullptr) return;
  line->thread = g_thread.startThread(RunProgressLine, line);
  if (line->thread != nullptr) return;
  g_thread.destroySync(line->sync);
  line->sync = nullptr;
}

// Erases the line and ends its thread.
void StopProgressLine(ProgressLine* line) {
  if (line->sync == nullptr) return;
  g_thread.lock(line->sync);
  line->done = true;
  g_thread.wakeAll(line->sync);
  g_thread.unlock(line->sync);
  g_thread.waitThread(line->thread);
  g_thread.closeThread(line->thread);
  g_thread.destroySync(line->sync);
  line->sync = nullptr;
}

// Standard output as the listing's sink: lines are encoded into a buffer of
// fixed size, written out whenever it fills, so memory does not grow with the output.
enum class OutputMode { ConsoleUnits, Utf8, Utf16 };

struct ConsoleOutput {
  ConsoleOutput(OutputMode mode, bool nullEnds, ProgressLine* progress)
      : mode(mode), nullEnds(nullEnds), progress(progress) {}
  OutputMode mode;
  bool nullEnds;  // --null
  ProgressLine* progress;
  const ListingSink* copy = nullptr;  // --copy: the lines go to the clipboard's text instead
  char bytes[1 << 16];
  char16_t units[1 << 14];
  size_t used = 0;  // bytes or units, by mode
  uint64_t lines = 0;
  WriteResult state = WriteResult::Written;
  int problems = 0;
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

// "dorrowin-list: " and the pieces as one line on standard error, ended as
// the system ends lines, like the listing; exit status 1.
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

// Problems go to standard error as they happen; what was listed before
// them goes out first, so that the two streams read in order on a terminal.
// The progress line is erased first and not drawn again until the message is written.
void TellProblem(void* context, const ListingProblem& problem) {
  auto* out = static_cast<ConsoleOutput*>(context);
  Flush(out);
  out->problems += 1;
  SyncHandle sync = out->progress->sync;
  if (sync != nullptr) {
    g_thread.lock(sync);
    Draw(out->progress, true);
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
  for (const ConsoleOption& option : kConsoleOptions) {
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

// The request: the base settings (the defaults with the system's separator,
// or the saved ones), the command line's over them, the texts given or
// saved, and every path made absolute. The job's own request builder does
// the rest, as for the window.
bool MakeRequest(const ConsoleCommand& command, ListingRequest* request) {
  ListingSettings settings = kDefaultSettings;
  settings.separator = kConsoleSeparator;
  Text saved[kAffixCount];
  if (command.saved && !LoadSavedSettings(&settings, saved)) return false;
  ApplyConsoleCommand(command, &settings);
  const char16_t* texts[kAffixCount] = {};
  for (int32_t i = 0; i < kAffixCount; ++i) texts[i] = command.affixes[i] != nullptr ? command.affixes[i] : saved[i].get();
  if (!MakeJobRequest(&settings, kConsolePathStyle, texts, request)) return false;
  request->options.readers = command.readers;
  request->options.maxDepth = command.maxDepth;
  request->options.gitIgnore = command.gitIgnore;
  for (const char16_t* arg : command.paths) {
    // An empty argument stays empty: it names nothing and is reported so.
    Text path = arg[0] != 0 ? AbsolutePath(arg) : Text();
    if ((!path && arg[0] != 0) || !AddRequestPath(request, path ? path.get() : u"", path.length())) return false;
  }
  return true;
}

// Lists to standard output, or with copy into the clipboard's text in full
// and then onto the clipboard, as the window does; problems are told on
// standard error either way.
int List(const ListingRequest& request, const std::atomic<bool>& abort, ConsoleOutput* out, bool copy) {
  ListingText text;
  ListingSink copied = TextSink(&text);
  if (copy) out->copy = &copied;
  StartProgressLine(out->progress);
  ListingOutcome outcome =
      StreamListing(request, abort, ListingSink{out, WriteLine, TellProblem, &out->progress->counts});
  StopProgressLine(out->progress);
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

int RunConsoleTool(int32_t count, const char16_t* const* args) {
  ConsoleCommand command;
  ConsoleMessage message;
  ConsoleAction action = ParseConsoleArguments(count, args, kConsoleHasSavedSettings, command, message);
  // The output record is large for the stack; it lives as long as the run.
  ProgressLine progress{};
  OutputMode mode = command.utf16                 ? OutputMode::Utf16
                    : StandardOutputIsConsole() ? OutputMode::ConsoleUnits
                                                : OutputMode::Utf8;
  Owned<ConsoleOutput> out = MakeOwned<ConsoleOutput>(mode, command.nullEnds, &progress);
  if (out == nullptr || action == ConsoleAction::OutOfMemory) return OutOfMemory();
  if (action == ConsoleAction::UsageError) return UsageError(message);
  if (action == ConsoleAction::Help) return PrintHelp(out.get());
  if (action == ConsoleAction::Version) {
    PutText(out.get(), u"dorrowin-list " u"" DORROWIN_VERSION_TEXT u"\n");
    return EndText(out.get());
  }
  static std::atomic<bool> abort{false};
  WatchInterrupt(&abort);
  ListingRequest request;
  action = MakeRequest(command, &request) ? AddConsoleExclusions(command, &request, message) : ConsoleAction::OutOfMemory;
  if (action == ConsoleAction::OutOfMemory) return OutOfMemory();
  if (action == ConsoleAction::UsageError) return UsageError(message);
  PasteResult pasted = command.paste ? AddPastedPaths(&request) : PasteResult::Taken;
  if (pasted == PasteResult::NoFiles) return Problem({u"no files on the clipboard"});
  if (pasted == PasteResult::Busy) return Problem({u"cannot open the clipboard"});
  if (pasted == PasteResult::NoMemory) return OutOfMemory();
  return List(request, abort, out.get(), command.copy);
}
