#include "engine/listing.h"

#include "engine/exclusions.h"
#include "engine/flat_listing.h"
#include "engine/listing_context.h"
#include "engine/output_line.h"
#include "engine/path_node.h"
#include "engine/path_rules.h"
#include "engine/text.h"
#include "engine/tree_listing.h"
#include "platform/filesystem.h"
#include "platform/owned.h"

namespace {

// The working storage of the gathering step.
struct Gathering {
  NodeArena arena;  // holds the entries
  PathNode* entryHead = nullptr;
  PathNode* entryTail = nullptr;
  Text firstItem;  // the first readable item, for the common prefix
};

bool NeedsCommonPrefix(const ListingContext* context) {
  PathForm form = context->request->options.pathForm;
  return form == PathForm::Relative || form == PathForm::Tree;
}

// Narrows the common prefix with one more readable item; the value always
// ends just after a separator or is 0, and never grows. The first item's
// folder is its path but its last unit: a root's separator is its own name.
void UpdateCommonPrefix(ListingContext* context, Gathering* work, const char16_t* path, int32_t length) {
  if (context->commonPrefixLength == kCommonPrefixUnset) {
    work->firstItem = Text::Copy(path, static_cast<size_t>(length));
    context->failed = !work->firstItem;
    context->commonPrefixLength = context->failed ? 0 : length - 1;
  }
  const char16_t* first = work->firstItem.get();
  int32_t value = 0;
  for (int32_t i = 0; i < context->commonPrefixLength && path[i] != 0 && path[i] == first[i]; ++i) {
    if (first[i] == PathSeparator(context)) value = i + 1;
  }
  context->commonPrefixLength = value;
}

// One input path: its own spelling, its attributes (an unreadable item is
// left out, and the sink told why), the common prefix, and an entry in
// arrival order.
void GatherItem(ListingContext* context, Gathering* work, const Text& input) {
  Text copy = Text::Copy(input.get(), input.length());
  if (!copy) {
    context->failed = true;
    return;
  }
  char16_t* path = copy.data();
  int32_t length = NormalizeInputPath(path, static_cast<int32_t>(input.length()), StyleOf(context));
  uint32_t attributes = g_fileSystem.queryAttributes(path);
  if (!ListingStopped(context) && attributes == kInvalidAttributes) {
    ReportProblem(context, ListingProblemKind::UnreadableItem, path, g_fileSystem.lastError());
  } else if (!ListingStopped(context)) {
    uint8_t isFile = (attributes & kAttributeDirectory) != 0 ? 0 : 1;
    if (NeedsCommonPrefix(context)) UpdateCommonPrefix(context, work, path, length);
    if (!ListingStopped(context) &&
        AppendArenaNode(&work->arena, path, length, &work->entryHead, &work->entryTail, isFile) == nullptr) {
      context->failed = true;
    }
  }
}

}  // namespace

// Gathers the input items, sorts them once (as a folder's entries are
// sorted), and hands them to the builder of the path form.
ListingOutcome StreamListing(const ListingRequest& request, const std::atomic<bool>& abort, const ListingSink& sink) {
  ListingContext context{.request = &request, .abort = &abort, .sink = &sink, .failed = request.inputFailed};
  Gathering work;
  if (NeedsCommonPrefix(&context)) context.commonPrefixLength = kCommonPrefixUnset;
  if (!context.failed) context.exclusions = MakeExclusions(request, &context.failed);

  for (const Text& path : request.paths) {
    if (ListingStopped(&context)) break;
    GatherItem(&context, &work, path);
  }
  if (!ListingStopped(&context)) {
    SortNodeList(&work.entryHead, &work.entryTail);
    if (request.options.pathForm == PathForm::Tree) {
      ListTree(&context, work.entryHead);
    } else {
      ListFlat(&context, work.entryHead);
    }
  }
  return context.failed                          ? ListingOutcome::Failed
         : abort.load(std::memory_order_relaxed) ? ListingOutcome::Interrupted
                                                 : ListingOutcome::Done;
}
