// The POSIX file system on paths longer than the system takes whole.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;

// A chain of `depth` folders named `name` below root, a file "f" in the last; made relative to each folder in turn.
static void MakeChain(const fs::path& root, int depth, const std::string& name, const std::string& bytes = "") {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < depth && fd >= 0; ++i) {
    int next = mkdirat(fd, name.c_str(), 0755) == 0 ? openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY) : -1;
    close(fd);
    fd = next;
  }
  ASSERT_GE(fd, 0);
  int file = openat(fd, "f", O_CREAT | O_WRONLY, 0644);
  EXPECT_EQ(write(file, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  for (int f : {file, fd}) close(f);
}

// Runs f to its end on a thread whose stack is 128 KiB: a scan that recursed per folder level would overflow it.
template <class F> void OnSmallStack(F f) {
  pthread_attr_t attributes;
  pthread_t thread;
  pthread_attr_init(&attributes), pthread_attr_setstacksize(&attributes, 128 << 10);
  auto run = [](void* body) -> void* { return (*static_cast<F*>(body))(), nullptr; };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, &f), 0);
  pthread_join(thread, nullptr), pthread_attr_destroy(&attributes);
}

// 3,000 levels (6,000 bytes of path) listed on a small stack with one reader and eight: every level and the file.
TEST(PosixLayer, AChainPastThePathLimitIsListedWhole) {
  ScratchFolder scratch;
  scratch.Make({"chain/"});
  MakeChain(scratch.native() / "chain", 3000, "d");
  std::vector<std::string> absolute = {Utf8(scratch["chain"])}, tree = {"chain"};
  std::string indent;
  for (int i = 0; i <= 3000; ++i, indent += " \u3000") {
    absolute.push_back(absolute.back() + (i < 3000 ? "\\d" : "\\f"));
    tree.push_back(indent + (i < 3000 ? " ┗d" : " ┗f"));
  }
  for (auto [form, readers] : {std::pair{PathForm::Absolute, 1}, {PathForm::Tree, 8}}) {
    ListingOptions options{form, u'\\', ItemFilter::FilesAndFolders, true, true};
    options.readers = readers;
    std::u16string text;
    OnSmallStack([&] { EXPECT_EQ(ListToText(MakeRequest(options, {scratch["chain"]}), &text), ListingOutcome::Done); });
    EXPECT_TRUE(Lines(text) == (form == PathForm::Absolute ? absolute : tree)) << Lines(text).size();
  }
}

// Paths past PATH_MAX: attributes, a file's bytes, every line; each allocation failing fails the listing cleanly or
// costs nothing but time (the folder kept for the next lookup, freed with its thread).
TEST(PosixLayer, LongPathsReadAndSurviveEveryAllocationFailing) {
  ScratchFolder scratch;
  const std::string name(250, 'n');
  MakeChain(scratch.native(), 20, name, "bytes");  // 20 x 251 bytes
  std::string deep = scratch.native().string();
  for (int i = 0; i < 20; ++i) deep += "/" + name;
  ASSERT_GT(deep.size(), size_t{PATH_MAX});
  EXPECT_EQ(g_fileSystem.queryAttributes(FromUtf8(deep.c_str()).c_str()), kAttributeDirectory);
  char* bytes = nullptr;
  size_t size = 0;
  EXPECT_EQ(g_fileSystem.readFile(FromUtf8((deep + "/f").c_str()).c_str(), true, &bytes, &size), FileLoad::Loaded);
  EXPECT_EQ(std::string(bytes, size), "bytes");
  PlatformFree(bytes);
  ListingOptions options{PathForm::Absolute, u'/', ItemFilter::FilesAndFolders, true, true, PathStyle::Posix};
  const std::u16string root = FromUtf8(scratch.native().c_str());
  auto list = [&](uint64_t failAt) {
    std::u16string text;
    ListingOutcome outcome;
    std::thread([&] {
      ListingRequest request = MakeRequest(options, {root});
      Failing(failAt, [&] { outcome = ListToText(request, &text); });
    }).join();
    return std::make_pair(outcome, text);
  };
  int64_t live = GetAllocationStats().liveBlocks;
  auto [outcome, text] = list(0);
  ASSERT_EQ(outcome, ListingOutcome::Done);
  EXPECT_EQ(Lines(text).size(), 22u);
  EXPECT_EQ(Lines(text).back(), deep + "/f");
  for (uint64_t k = 1;; ++k) {
    uint64_t failures = GetAllocationStats().failures;
    auto [failed, partial] = list(k);
    if (GetAllocationStats().failures == failures) break;
    EXPECT_TRUE(failed == ListingOutcome::Failed ? partial.empty() : partial == text) << "allocation " << k;
    EXPECT_EQ(GetAllocationStats().liveBlocks, live) << "allocation " << k;
  }
}
