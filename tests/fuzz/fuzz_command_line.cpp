// Any command line split into a request and listed on the real file system, storage running out at a fuzzed
// allocation: Failed exactly for an unclosed program quote or a failed allocation, nothing left allocated.
#include <vector>
#include "engine/listing.h"
#include "platform/memory.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  uint8_t o = in.Byte(), failAt = in.Byte();
  std::u16string line = in.Text(size);
  std::vector<char16_t> copy(line.c_str(), line.c_str() + line.size() + 1);  // ends its heap block
  AllocationStats before = GetAllocationStats();
  ListingRequest request{};  // options without the folder scan: Z:\ would list the whole disk
  request.options = {PathForm(1 + o % 4), o & 4 ? u'/' : u'\\', ItemFilter(1 + (o >> 3) % 3), (o & 32) != 0, false};
  ArmAllocationFailure(failAt);
  ParseCommandLine(copy.data(), &request);
  ListingText text{};
  ListingOutcome outcome = BuildListing(request, std::atomic<bool>{false}, &text);
  ArmAllocationFailure(0);
  bool unclosed = line[0] == u'"' && line.find(u'"', 1) == std::u16string::npos;
  FUZZ_CHECK((outcome == ListingOutcome::Failed) == (unclosed || GetAllocationStats().failures != before.failures));
  std::u16string all(text.units, u'\0');
  CopyListingText(text, all.data());
  uint64_t lines = all.empty() ? 0 : 1;  // a Done text of one empty line has no units either
  for (size_t at = 0; (at = all.find(u"\r\n", at)) != std::u16string::npos; at += 2) ++lines;
  FUZZ_CHECK((lines == text.lines || (all.empty() && text.lines == 1)) &&
             (request.options.pathForm == PathForm::Tree || text.lines <= request.pathCount));
  FreeListingText(&text);
  FreeListingRequest(&request);
  FUZZ_CHECK(GetAllocationStats().liveBlocks == before.liveBlocks);
  return 0;
}
