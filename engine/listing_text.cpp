#include "engine/listing_text.h"

#include <cstring>

#include "platform/memory.h"

struct TextChunk {
  TextChunk* next;
  size_t used;
  size_t capacity;
  char16_t units[1];  // capacity units in truth
};

namespace {

// Chunks start small, so that a listing of a few lines costs one small
// block, and double up to a size where a chunk's bookkeeping is nothing
// against its text and the unused end of the last one is small.
constexpr size_t kFirstChunkUnits = 2048;
constexpr size_t kLargestChunkUnits = size_t{1} << 20;

TextChunk* AddChunk(ListingText* text) {
  size_t capacity = text->tail == nullptr ? kFirstChunkUnits : text->tail->capacity * 2;
  if (capacity > kLargestChunkUnits) capacity = kLargestChunkUnits;
  auto* chunk = static_cast<TextChunk*>(PlatformAlloc(sizeof(TextChunk) + capacity * sizeof(char16_t)));
  if (chunk == nullptr) return nullptr;
  chunk->next = nullptr;
  chunk->used = 0;
  chunk->capacity = capacity;
  if (text->tail == nullptr) {
    text->head = chunk;
  } else {
    text->tail->next = chunk;
  }
  text->tail = chunk;
  return chunk;
}

// Appends count units; false when storage runs out (what was written stays;
// the listing is failing anyway).
bool AppendUnits(ListingText* text, const char16_t* units, size_t count) {
  while (count > 0) {
    TextChunk* chunk = text->tail;
    if (chunk == nullptr || chunk->used == chunk->capacity) chunk = AddChunk(text);
    if (chunk == nullptr) return false;
    size_t n = chunk->capacity - chunk->used;
    if (n > count) n = count;
    std::memcpy(chunk->units + chunk->used, units, n * sizeof(char16_t));
    chunk->used += n;
    text->units += n;
    units += n;
    count -= n;
  }
  return true;
}

// CR LF before every line but the first.
bool WriteTextLine(void* context, const char16_t* units, size_t count) {
  static const char16_t kLineBreak[] = {u'\r', u'\n'};
  auto* text = static_cast<ListingText*>(context);
  if (text->lines > 0 && !AppendUnits(text, kLineBreak, 2)) return false;
  text->lines += 1;
  return AppendUnits(text, units, count);
}

void CountProblem(void* context, const ListingProblem& problem) {
  if (problem.kind == ListingProblemKind::UnreadableFolder) static_cast<ListingText*>(context)->folderReadErrors += 1;
}

}  // namespace

ListingSink TextSink(ListingText* text) { return ListingSink{text, WriteTextLine, CountProblem}; }

ListingOutcome BuildListing(const ListingRequest& request, const std::atomic<bool>& abort, ListingText* out) {
  *out = ListingText{};
  ListingOutcome outcome = StreamListing(request, abort, TextSink(out));
  if (outcome != ListingOutcome::Done) FreeListingText(out);
  return outcome;
}

void CopyListingText(const ListingText& text, char16_t* target) {
  for (const TextChunk* chunk = text.head; chunk != nullptr; chunk = chunk->next) {
    std::memcpy(target, chunk->units, chunk->used * sizeof(char16_t));
    target += chunk->used;
  }
}

void FreeListingText(ListingText* text) {
  TextChunk* chunk = text->head;
  while (chunk != nullptr) {
    TextChunk* next = chunk->next;
    PlatformFree(chunk);
    chunk = next;
  }
  *text = ListingText{};
}
