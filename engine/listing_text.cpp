#include "engine/listing_text.h"

#include <cstring>

#include "engine/path_rules.h"
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

}  // namespace

bool StartLine(ListingText* text) {
  static const char16_t kLineBreak[] = {u'\r', u'\n'};
  if (text->lines > 0 && !AppendUnits(text, kLineBreak, 2, kBackslash)) return false;
  text->lines += 1;
  return true;
}

bool AppendUnits(ListingText* text, const char16_t* units, size_t count, char16_t separator) {
  while (count > 0) {
    TextChunk* chunk = text->tail;
    if (chunk == nullptr || chunk->used == chunk->capacity) chunk = AddChunk(text);
    if (chunk == nullptr) return false;
    size_t n = chunk->capacity - chunk->used;
    if (n > count) n = count;
    char16_t* target = chunk->units + chunk->used;
    std::memcpy(target, units, n * sizeof(char16_t));
    if (separator != kBackslash) {
      for (size_t i = 0; i < n; ++i) {
        if (target[i] == kBackslash) target[i] = separator;
      }
    }
    chunk->used += n;
    text->units += n;
    units += n;
    count -= n;
  }
  return true;
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
