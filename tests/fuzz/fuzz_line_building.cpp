// Listings of a small tree on disk with any affixes and options, storage running out at a fuzzed allocation:
// Failed, or Done with each plain line wrapped in its kind's affixes and the separator applied; nothing leaked.
#include <algorithm>
#include "platform/memory.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/test_support.h"

// A line's last name tells its kind: files begin with f or a full stop, folders with D (the scratch one d).
struct SmallTree : ScratchFolder {
  SmallTree() { Make({"f1.txt", "f10.tar.gz", ".fhidden", "Dsub/f2", "Dsub/Ddeep/f.md", "D e/f3.txt", "D e/Dnone/"}); }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SmallTree tree;
  const char* drops[] = {"", "f10.tar.gz", "Dsub", "Dsub/Ddeep/f.md", "D e", "missing"};
  FuzzInput in{data, size};
  uint8_t o = in.Byte(), failAt = in.Byte(), pick = in.Byte();
  ListingOptions options{PathForm(1 + o % 4), o & 4 ? u'/' : u'\\', ItemFilter(1 + (o >> 3) % 3), (o & 32) != 0,
                         (o & 64) != 0};
  std::vector<std::u16string> paths, affixes;
  for (int i = 0; i < 6; ++i) if ((pick >> i) & 1) paths.push_back(tree[drops[i]]);
  while (affixes.size() < 4) affixes.push_back(in.Text(in.Byte() % 8));
  std::u16string plain, text, expected;
  FUZZ_CHECK(ListToText(MakeRequest(options, paths), &plain) == ListingOutcome::Done);
  AllocationStats before = GetAllocationStats();
  ListingRequest request = MakeRequest(options, paths, affixes);
  ArmAllocationFailure(failAt);
  ListingOutcome outcome = ListToText(request, &text);
  ArmAllocationFailure(0);
  bool ranOut = GetAllocationStats().failures != before.failures;
  FUZZ_CHECK(GetAllocationStats().liveBlocks == before.liveBlocks);
  FUZZ_CHECK(outcome == (ranOut ? ListingOutcome::Failed : ListingOutcome::Done));
  for (std::u16string& affix : affixes) std::replace(affix.begin(), affix.end(), u'\\', options.separator);
  for (size_t start = 0, end; start < plain.size() && !ranOut; start = end + 2) {
    end = std::min(plain.find(u"\r\n", start), plain.size());
    std::u16string line = plain.substr(start, end - start);
    size_t core = line.find_first_not_of(u" \u2523\u2517\u2503\u3000");  // after the tree's indent
    size_t name = std::max(core, line.find_last_of(u"\\/") + 1);        // npos + 1 is 0
    bool file = line[name] == u'f' || line[name] == u'.';
    expected += (start > 0 ? u"\r\n" : u"") + line.substr(0, core) + affixes[file ? 0 : 2] + line.substr(core) +
                affixes[file ? 1 : 3];
  }
  FUZZ_CHECK(ranOut || text == expected);
  FUZZ_CHECK(options.separator == u'\\' || text.find(u'\\') == std::u16string::npos);
  return 0;
}
