#include "job/job_request.h"

#include "engine/text.h"

bool MakeJobRequest(ListingSettings* settings, PathStyle style, const char16_t* const texts[kAffixCount],
                    ListingRequest* request) {
  CorrectItemFilterForTree(settings);
  request->options = ListingOptionsOf(*settings);
  request->options.pathStyle = style;
  for (int32_t i = 0; i < kAffixCount; ++i) {
    const char16_t* text = texts[i] != nullptr ? texts[i] : u"";
    if (!SetRequestText(&request->affixes[i], text, TextLength(text))) return false;
  }
  return true;
}
