#include "tests/support/test_support.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

std::u16string EnginePath(const fs::path& path) {
  fs::path full = fs::absolute(path);  // under Wine it already has its drive
  std::u16string text =
      full.has_root_name() ? full.generic_u16string() : u"Z:" + FromUtf8(full.generic_string().c_str());
  std::replace(text.begin(), text.end(), u'/', u'\\');
  return text;
}

ScratchFolder::ScratchFolder() {
  std::error_code error;
  for (const fs::path& base : {fs::path("/dev/shm"), fs::temp_directory_path()}) {
    root_ = base / ("dorrowin-test-" + std::to_string(std::random_device()()));
    if (fs::is_directory(base, error) && fs::create_directory(root_, error)) return;
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
    fs::create_directories(entry.back() == '/' ? path : path.parent_path());
    if (entry.back() != '/') std::ofstream(path).put('x');
  }
}

ListingRequest MakeRequest(const ListingOptions& options, const std::vector<std::u16string>& paths,
                           const std::vector<std::u16string>& affixes) {
  ListingRequest request{options};
  for (size_t i = 0; i < affixes.size(); ++i) SetRequestText(&request.affixes[i], affixes[i].data(), affixes[i].size());
  for (const std::u16string& path : paths) AddRequestPath(&request, path.data(), path.size());
  return request;
}

ListingOutcome ListToText(const ListingRequest& request, std::u16string* text) {
  std::atomic<bool> abort{false};
  ListingText out{};
  ListingOutcome outcome = BuildListing(request, abort, &out);
  text->assign(out.units, u'\0');
  CopyListingText(out, text->data());
  return outcome;
}

std::vector<std::string> Lines(const std::u16string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, at = 0; !text.empty() && at != std::u16string::npos; start = at + 2) {
    at = text.find(u"\r\n", start);
    lines.push_back(Utf8(text.substr(start, at - start)));
  }
  return lines;
}

std::multiset<std::string> Records(const std::string& text, char end, const std::string& prefix) {
  std::multiset<std::string> records;
  for (size_t at = 0, stop; (stop = text.find(end, at)) != std::string::npos; at = stop + 1)
    records.insert(prefix + text.substr(at, stop - at));
  return records;
}

std::string Join(const std::vector<std::string>& lines, char end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}
