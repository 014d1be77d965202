#include "engine/exclusions.h"

#include "engine/glob.h"
#include "platform/memory.h"

struct Exclusions {
  Glob<char16_t>* globs;  // in the same block, after the record
  uint32_t count;
};

uint32_t ExclusionGlobFlags(PathStyle style) {
  return style == PathStyle::Windows ? kGlobFoldCase : kGlobEscapes;
}

Exclusions* MakeExclusions(const ListingRequest& request, bool* failed) {
  if (request.excludeCount == 0) return nullptr;
  size_t head = (sizeof(Exclusions) + alignof(Glob<char16_t>) - 1) / alignof(Glob<char16_t>) * alignof(Glob<char16_t>);
  size_t bytes = request.excludeCount <= (SIZE_MAX - head) / sizeof(Glob<char16_t>)
                     ? head + request.excludeCount * sizeof(Glob<char16_t>) : 0;
  void* block = bytes != 0 ? PlatformAlloc(bytes) : nullptr;
  if (block == nullptr) {
    *failed = true;
    return nullptr;
  }
  auto* exclusions = static_cast<Exclusions*>(block);
  exclusions->globs = reinterpret_cast<Glob<char16_t>*>(static_cast<char*>(block) + head);
  exclusions->count = request.excludeCount;
  uint32_t flags = ExclusionGlobFlags(request.options.pathStyle);
  for (uint32_t i = 0; i < request.excludeCount; ++i) {
    const RequestText& glob = request.excludes[i];
    exclusions->globs[i] = MakeGlob(glob.text != nullptr ? glob.text : u"", static_cast<size_t>(glob.length), flags);
  }
  return exclusions;
}

bool ExcludesName(const Exclusions* exclusions, const char16_t* name, size_t length) {
  for (uint32_t i = 0; exclusions != nullptr && i < exclusions->count; ++i) {
    if (GlobMatches(exclusions->globs[i], name, length)) return true;
  }
  return false;
}

void FreeExclusions(Exclusions* exclusions) { PlatformFree(exclusions); }
