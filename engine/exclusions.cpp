#include "engine/exclusions.h"

#include <initializer_list>

#include "engine/glob.h"
#include "platform/memory.h"

struct Exclusions {
  Glob<char16_t>* globs;  // in the same block, after the record
  uint32_t count;
  // The ASCII units a match may end with (a bit each), or any: most names
  // are told apart from every glob by it.
  uint64_t lastUnits[2];
  bool anyLast;
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
  *exclusions = Exclusions{reinterpret_cast<Glob<char16_t>*>(static_cast<char*>(block) + head), request.excludeCount,
                           {0, 0}, false};
  uint32_t flags = ExclusionGlobFlags(request.options.pathStyle);
  for (uint32_t i = 0; i < request.excludeCount; ++i) {
    const RequestText& text = request.excludes[i];
    Glob<char16_t> glob = MakeGlob(text.text != nullptr ? text.text : u"", static_cast<size_t>(text.length), flags);
    exclusions->globs[i] = glob;
    exclusions->anyLast = exclusions->anyLast || glob.last == 0 || glob.last >= 0x80;
    for (char16_t unit : {glob.last, static_cast<char16_t>(glob.lastFolds ? glob.last ^ 0x20 : glob.last)}) {
      if (unit < 0x80) exclusions->lastUnits[unit / 64] |= uint64_t{1} << (unit % 64);
    }
  }
  return exclusions;
}

bool ExcludesName(const Exclusions* exclusions, const char16_t* name, size_t length) {
  if (exclusions == nullptr || length == 0) return false;
  char16_t last = name[length - 1];
  if (!exclusions->anyLast && (last >= 0x80 || (exclusions->lastUnits[last / 64] >> (last % 64) & 1) == 0)) return false;
  for (uint32_t i = 0; i < exclusions->count; ++i) {
    if (GlobMatches(exclusions->globs[i], name, length)) return true;
  }
  return false;
}

void FreeExclusions(Exclusions* exclusions) { PlatformFree(exclusions); }
