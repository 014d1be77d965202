#pragma once
// What the tests share: folders on disk, paths as the program sees them,
// requests and whole listings; and every header the tests use.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/clipboard_text.h"
#include "engine/collation.h"
#include "engine/listing.h"
#include "engine/path_node.h"
#include "job/job_worker.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/network.h"
#include "platform/thread.h"
#include "platform/utf8.h"
#include "settings/listing_settings.h"
#include "settings/settings_store.h"
#include "tests/support/stand_ins.h"
#include "ui/commands.h"
#include "ui/stored_settings.h"
#include "ui/ui_state.h"

// A host path as the program sees it: natively and under Wine the host's
// root is the drive Z: and components are separated by backslashes.
std::u16string EnginePath(const std::filesystem::path& path);
std::string Utf8(const std::u16string& text);

// A fresh folder on disk, in /dev/shm where there is one (making thousands
// of entries there is cheap), removed with its contents at the end.
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
  std::u16string operator[](const std::string& relative) const;

 private:
  std::filesystem::path root_;
};

// A request for these paths; affixes in the order file prefix, file
// suffix, folder prefix, folder suffix.
ListingRequest MakeRequest(const ListingOptions& options, const std::vector<std::u16string>& paths,
                           const std::vector<std::u16string>& affixes = {});
// The whole listing of a request as text; the request is freed.
ListingOutcome ListToText(ListingRequest request, std::u16string* text);
// The text's lines (split at CR LF).
std::vector<std::string> Lines(const std::u16string& text);
