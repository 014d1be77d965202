#pragma once
// What the tests share: folders on disk, paths as the program sees them, requests, listings; every header they use.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "engine/clipboard_text.h"
#include "engine/collation.h"
#include "engine/path_node.h"
#include "platform/console.h"
#include "engine/text.h"
#include "platform/environment.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/thread.h"
#include "platform/utf8.h"
#include "platform/window.h"
#include "settings/listing_settings.h"
#include "settings/settings_store.h"
#include "ui/commands.h"
#include "ui/window_job.h"

// A host path as the program sees it: the host's root is the drive Z: (also under Wine), backslashes between.
std::u16string EnginePath(const std::filesystem::path& path);
extern const FileSystemApi kDriveZ;  // natively the file system every test starts with: reads such paths
// Text as the program writes it as UTF-8 (natively: a name's own bytes).
inline std::string Utf8(const std::u16string& text) { return ToUtf8(text.c_str(), kOutputLoneSurrogates); }

// A fresh folder (in /dev/shm where there is one: thousands of entries are cheap there), removed at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& native() const { return root_; }
  // Makes each entry below the folder: "a/b/" a folder, "a/c.txt" a file.
  void Make(const std::vector<std::string>& entries) const;
  // An entry's path as the program sees it ("" for the folder itself).
  std::u16string operator[](const std::string& relative) const {
    return EnginePath(relative.empty() ? root_ : root_ / std::filesystem::u8path(relative));
  }

 private:
  std::filesystem::path root_;
};

// A request for the paths; affixes: file prefix, file suffix, folder prefix, folder suffix.
ListingRequest MakeRequest(const ListingOptions& options, const std::vector<std::u16string>& paths,
                           const std::vector<std::u16string>& affixes = {});
// Runs f with the at-th allocation from now on failing (0: none).
template <class F> void Failing(uint64_t at, F f) { ArmAllocationFailure(at), f(), ArmAllocationFailure(0); }
// The whole listing of a request as text.
ListingOutcome ListToText(const ListingRequest& request, std::u16string* text);
// The text's lines (split at CR LF); a text's records, each ended by `end` and given the prefix; lines joined.
std::vector<std::string> Lines(const std::u16string& text);
std::multiset<std::string> Records(const std::string& text, char end = '\0', const std::string& prefix = "");
std::string Join(const std::vector<std::string>& lines, char end = '\n');
// Natively: a shell command's standard output.
std::string ShellOutput(const std::string& command);

// The native build's window, clipboard, store, shell and job input, in memory, recording the window's calls in order
// ("text 10003 待機中", "enable 10013 0", "window 0 0 86 98", "place 1 2", "timer 1", "close", "topmost 1", ...).
std::vector<std::u16string> WindowLog();
void ClearWindowLog();
std::u16string ControlText(Control control);
void SetControlTextForTest(Control control, const std::u16string& text);
bool ControlEnabled(Control control);
void SetWindowRect(WindowRect rect);
void SetWorkArea(WindowRect rect);
extern AppState g_app;  // the state the native tests drive the window's logic with
// All back to the start: defaults, no texts, all enabled, the window at (0, 0, 100, 100) in 1280 x 984, all empty.
void ResetStandIns();
// Runs the job reports posted, waiting for each, until the job is Idle.
void PumpJobReports();
// A drop through the window's own start, run to its end; gives the last status text.
std::u16string RunWindowJob(void* drop);

// The clipboard's text; busy makes it refuse; files put there (none: no files) are replaced by text stored.
std::u16string ClipboardText();
void SetClipboardText(const std::u16string& text);
void SetClipboardBusy(bool busy);
void SetClipboardFiles(const std::vector<std::u16string>& paths);
void* MakeDrop(const std::vector<std::u16string>& paths);
int32_t LiveDrops();  // made and not released
// The store: each key's path, then its values as "name=type:hex bytes"; the keys open.
std::vector<std::u16string> StoreContents();
int32_t OpenStoreKeys();
// What was asked of the shell: "open PATH" (a .txt opens) or "warn TEXT|CAPTION".
std::vector<std::u16string> ShellLog();
