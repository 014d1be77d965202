#include "tests/support/test_support.h"

#include <fstream>
#include <random>
#include <stdexcept>


namespace fs = std::filesystem;

// Under Wine the absolute path already has its drive.
std::u16string EnginePath(const fs::path& path) {
  fs::path full = fs::absolute(path);
  std::u16string text = full.has_root_name() ? full.generic_u16string() : u"Z:" + FromUtf8(full.generic_string().c_str());
  for (char16_t& ch : text) ch = ch == u'/' ? u'\\' : ch;
  return text;
}

std::string Utf8(const std::u16string& text) { return ToUtf8(text.c_str()); }

ScratchFolder::ScratchFolder() {
  std::error_code error;
  std::random_device random;
  for (const fs::path& base : {fs::path("/dev/shm"), fs::temp_directory_path()}) {
    fs::path candidate = base / ("dorrowin-test-" + std::to_string(random()));
    if (fs::is_directory(base, error) && fs::create_directory(candidate, error)) {
      root_ = candidate;
      return;
    }
  }
  throw std::runtime_error("no folder could be made for the test");
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(root_, error);
}

void ScratchFolder::Make(const std::vector<std::string>& entries) const {
  for (const std::string& entry : entries) {
    fs::path path = root_ / fs::u8path(entry);
    if (entry.back() == '/') {
      fs::create_directories(path);
    } else {
      fs::create_directories(path.parent_path());
      std::ofstream(path).put('x');
    }
  }
}

std::u16string ScratchFolder::operator[](const std::string& relative) const {
  return EnginePath(relative.empty() ? root_ : root_ / fs::u8path(relative));
}

ListingRequest MakeRequest(const ListingOptions& options, const std::vector<std::u16string>& paths,
                           const std::vector<std::u16string>& affixes) {
  ListingRequest request{};
  request.options = options;
  for (size_t i = 0; i < affixes.size(); ++i) SetRequestText(&request.affixes[i], affixes[i].data(), affixes[i].size());
  for (const std::u16string& path : paths) AddRequestPath(&request, path.data(), path.size());
  return request;
}

ListingOutcome ListToText(ListingRequest request, std::u16string* text) {
  std::atomic<bool> abort{false};
  ListingText out{};
  ListingOutcome outcome = BuildListing(request, abort, &out);
  text->assign(out.units, u'\0');
  CopyListingText(out, text->data());
  FreeListingText(&out);
  FreeListingRequest(&request);
  return outcome;
}

std::vector<std::string> Lines(const std::u16string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (size_t at; (at = text.find(u"\r\n", start)) != std::u16string::npos; start = at + 2) {
    lines.push_back(Utf8(text.substr(start, at - start)));
  }
  lines.push_back(Utf8(text.substr(start)));
  return lines;
}
