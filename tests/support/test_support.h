#pragma once
// Shared helpers of the test programs: real folders on disk, paths in the
// program's own form, drops, and UTF-16 text in assertions.

#include <filesystem>
#include <string>
#include <vector>

#include "engine/path_node.h"
#include "platform/job_input.h"

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& native() const { return root_; }
  // The folder's path as the program sees it (Z:\... natively and on Wine).
  std::u16string path() const;
  // Creates a file (and its missing parent folders); relative is '/'-separated.
  std::u16string AddFile(const std::u16string& relative);
  std::u16string AddFolder(const std::u16string& relative);

 private:
  std::filesystem::path root_;
};

// A native path in the program's own form. Natively the POSIX layer shows
// the root folder as the drive Z:, as Wine does.
std::u16string EnginePath(const std::filesystem::path& native);

// A drop of the given paths, as the window would receive it. The engine
// releases it through g_jobInput.releaseDrop.
DropHandle MakeDrop(const std::vector<std::u16string>& paths);

// Prepares the platform layer once per test program: natively a clean
// recording window, under Wine a hidden main window with real edit boxes.
void SetUpPlatformForTests();

// The clipboard's Unicode text as stored: every unit of the data block,
// terminator included (empty when the clipboard holds no text).
std::u16string ReadClipboardForTest();
// Puts a text on the clipboard, as another program would.
void WriteClipboardForTest(const std::u16string& text);

// The texts of a list, in order.
std::vector<std::u16string> ListTexts(const PathNode* head);

// UTF-8 for readable assertion messages.
std::string Utf8(const std::u16string& text);
