#include "engine/exclusions.h"

uint32_t ExclusionGlobFlags(PathStyle style) {
  return style == PathStyle::Windows ? kGlobFoldCase : kGlobEscapes;
}

Owned<Exclusions> MakeExclusions(const ListingRequest& request, bool* failed) {
  if (request.excludes.empty()) return nullptr;
  Owned<Exclusions> exclusions = MakeOwned<Exclusions>();
  if (exclusions == nullptr || !exclusions->globs.Reserve(request.excludes.size())) {
    *failed = true;
    return nullptr;
  }
  uint32_t flags = ExclusionGlobFlags(request.options.pathStyle);
  for (const Text& text : request.excludes) {
    Glob<char16_t> glob = MakeGlob(text.get(), text.length(), flags);
    exclusions->lastChars.Note(glob.last, glob.lastFolds);
    (void)exclusions->globs.Append(glob);  // room reserved
  }
  return exclusions;
}

bool ExcludesName(const Exclusions* exclusions, const char16_t* name, size_t length) {
  if (exclusions == nullptr || length == 0 || !exclusions->lastChars.MayEnd(name[length - 1])) return false;
  for (const Glob<char16_t>& glob : exclusions->globs) {
    if (GlobMatches(glob, name, length)) return true;
  }
  return false;
}
