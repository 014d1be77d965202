#include "engine/listing_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Chunks start small (a few lines cost one small block) and double up to
// where bookkeeping is nothing and the last one's unused end is small.
constexpr size_t kFirstChunkUnits = 2048;
constexpr size_t kLargestChunkUnits = size_t{1} << 20;

// False when storage runs out (what was written stays; the listing is
// failing anyway).
bool AppendUnits(ListingText* text, const char16_t* units, size_t count) {
  Array<TextChunk>& chunks = text->chunks;
  while (count > 0) {
    if (chunks.empty() || chunks.back().used == chunks.back().capacity) {
      size_t capacity = chunks.empty() ? kFirstChunkUnits : std::min(chunks.back().capacity * 2, kLargestChunkUnits);
      TextChunk chunk{MakeBlock<char16_t>(capacity), 0, capacity};
      if (chunk.units == nullptr || !chunks.Append(std::move(chunk))) return false;
    }
    TextChunk& chunk = chunks.back();
    size_t n = std::min(chunk.capacity - chunk.used, count);
    std::memcpy(chunk.units.get() + chunk.used, units, n * sizeof(char16_t));
    chunk.used += n;
    text->units += n;
    units += n;
    count -= n;
  }
  return true;
}

// CR LF before every line but the first.
bool WriteTextLine(void* context, const char16_t* units, size_t count) {
  auto* text = static_cast<ListingText*>(context);
  if (text->lines > 0 && !AppendUnits(text, u"\r\n", 2)) return false;
  text->lines += 1;
  return AppendUnits(text, units, count);
}

void CountProblem(void* context, const ListingProblem& problem) {
  if (problem.kind == ListingProblemKind::UnreadableFolder) static_cast<ListingText*>(context)->folderReadErrors += 1;
}

}  // namespace

ListingSink TextSink(ListingText* text) { return ListingSink{text, WriteTextLine, CountProblem}; }

ListingOutcome BuildListing(const ListingRequest& request, const std::atomic<bool>& abort, ListingText* out) {
  ListingOutcome outcome = StreamListing(request, abort, TextSink(out));
  if (outcome != ListingOutcome::Done) *out = ListingText{};
  return outcome;
}

void CopyListingText(const ListingText& text, char16_t* target) {
  for (const TextChunk& chunk : text.chunks) {
    std::memcpy(target, chunk.units.get(), chunk.used * sizeof(char16_t));
    target += chunk.used;
  }
}
