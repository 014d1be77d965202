// Any command line split into a request and listed on the real file system, storage running out at a fuzzed
// allocation: Failed exactly for an unclosed program quote or a failed allocation, lines counted right, no leak.
#include "tests/fuzz/fuzz_input.h"
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  uint8_t o = in.Byte(), failAt = in.Byte();  // options without the folder scan: Z:\ would list the whole disk
  std::u16string line = in.Text(size), all;
  AllocationStats before = GetAllocationStats();
  ListingRequest request{{PathForm(1 + o % 4), o & 4 ? u'/' : u'\\', ItemFilter(1 + o / 8 % 3), bool(o & 32), false}};
  ListingText text{};
  ListingOutcome outcome{};
  Failing(failAt, [&] { ParseCommandLine(Block(line).data(), &request); outcome = BuildListing(request, {}, &text); });
  bool unclosed = line[0] == u'"' && line.find(u'"', 1) == std::u16string::npos;
  FUZZ_CHECK((outcome == ListingOutcome::Failed) == (unclosed || GetAllocationStats().failures != before.failures));
  CopyListingText(text, all.assign(text.units, u'\0').data());
  uint64_t lines = Lines(all).size(), listed = text.lines, paths = request.paths.size();  // one empty line: no units
  text = ListingText{};
  request = ListingRequest{};
  FUZZ_CHECK((lines == listed || (all.empty() && listed == 1)) && (o % 4 == 3 || listed <= paths) &&
             GetAllocationStats().liveBlocks == before.liveBlocks);
  return 0;
}
