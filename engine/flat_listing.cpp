#include "engine/flat_listing.h"

#include "engine/folder_readers.h"
#include "engine/git_ignore.h"
#include "engine/output_line.h"
#include "engine/path_rules.h"
#include "engine/text.h"
#include "platform/filesystem.h"

namespace {

// Threads that read folders when the request leaves the number to us: they
// wait on the storage's latency (network round trips), not on the cores.
constexpr int32_t kDefaultReaders = 16;

// A folder whose entries are being listed. The scan keeps one per level on
// a stack of its own, so a tree of any depth costs no call stack.
struct Frame {
  FolderContents contents;
  PathNode* next;         // the next entry to list
  size_t prefixLength;    // units of the folder's path and a separator
  int32_t depth;          // levels below the input folder
  ListingPlace place;
  size_t opened = 0;      // subfolders opened so far; the first of them were read ahead
};

// The listing's pool, started at the first folder with subfolders; null for
// one reader or when no thread starts. Left to the engine, it starts once a
// read waited on its storage: from the cache, readers cost more wall and CPU
// time than they save, even a few on a machine of few cores.
ReaderPool* Readers(ListingContext* context) {
  int32_t readers = context->request->options.readers;
  if (!context->readersTried && (readers != 0 || context->slowReads)) {
    context->readersTried = true;
    readers = readers == 0 ? kDefaultReaders : readers;
    if (readers > 1) {
      context->readers = StartReaderPool(readers, context->request->options.maxDepth, context->abort, &context->failed);
    }
  }
  return context->readers.get();
}

FolderFilter FilterOf(const ListingContext* context, const Shared<IgnoreRules>& rules) {
  return FolderFilter{context->exclusions.get(), rules, StyleOf(context)};
}

// Takes the folder at path (length units, then a terminator) from its
// request or reads it here, tells its problem (so problems come in the
// listing's order), pushes its frame and reads ahead the subfolders its
// reader (if any) had no room for. False when it has nothing to list or the
// listing stopped. An input folder is read even if a link: the user chose it.
bool OpenFolder(ListingContext* context, Array<Frame>* frames, Array<char16_t>* path, size_t length,
                const Shared<ReadRequest>& request, int32_t depth, ListingPlace place, const Shared<IgnoreRules>& rules) {
  FolderContents contents =
      request ? TakeRead(context->readers.get(), request)
              : ReadFolderContents(path->data(), FilterOf(context, rules), context->abort, nullptr);
  bool cut = !contents.whole && !context->abort->load(std::memory_order_relaxed);
  if (contents.failed || cut) context->failed = true;
  if (contents.slow) context->slowReads = true;
  CountFolderRead(context, contents.count);
  if (contents.read != FolderRead::Complete && !ListingStopped(context)) {
    ReportProblem(context, ListingProblemKind::UnreadableFolder, path->data(), contents.error);
  }
  if (ListingStopped(context) || contents.head == nullptr) return false;
  path->Truncate(length);
  PathNode* first = contents.head;
  if (!EndWithSeparator(path, PathSeparator(context)) ||
      !frames->Append(Frame{.contents = std::move(contents), .next = first, .prefixLength = path->size(),
                            .depth = depth, .place = place})) {
    context->failed = true;
    return false;
  }
  FolderContents& held = frames->back().contents;
  bool ahead = ScansAt(context->request->options.maxDepth, depth + 1) && held.NextNotAhead() != nullptr;
  ReaderPool* pool = ahead ? Readers(context) : nullptr;
  if (pool != nullptr) {
    ReadSubfoldersAhead(pool, path->data(), path->size(), depth, place, FilterOf(context, held.rules), &held);
  }
  if (held.failed) context->failed = true;
  return true;
}

// Lists a folder's contents on disk, depth first, files before folders; its
// subfolders are read ahead by the listing's readers. rules: those of its
// parent (null outside a working tree).
void ScanFolder(ListingContext* context, const char16_t* folderPath, const Shared<IgnoreRules>& rules) {
  Array<char16_t> path;  // the path of the entry in hand
  Array<Frame> frames;
  size_t folderLength = TextLength(folderPath);
  if (!path.AppendUnits(folderPath, folderLength + 1)) {
    context->failed = true;
    return;
  }
  if (!OpenFolder(context, &frames, &path, folderLength, {}, 0, kInputFolderPlace, rules)) return;
  while (!frames.empty()) {
    Frame& frame = frames.back();
    PathNode* entry = frame.next;
    if (entry == nullptr || ListingStopped(context)) {
      frames.PopBack();
      if (!frames.empty()) PopIndent(context);
      continue;
    }
    frame.next = entry->next;
    path.Truncate(frame.prefixLength);
    if (!path.AppendUnits(entry->text, static_cast<size_t>(entry->length) + 1)) {
      context->failed = true;
      continue;
    }
    int32_t length = static_cast<int32_t>(path.size() - 1);
    ListItem(context, path.data(), length, entry->isFile != 0, entry->next == nullptr);
    if (OpensAsFolder(entry) && ScansAt(context->request->options.maxDepth, frame.depth + 1)) {
      Shared<ReadRequest> read;
      Array<Subfolder>& ahead = frame.contents.ahead;
      size_t opened = frame.opened++;
      if (opened < ahead.size() && ahead[opened].entry == entry) read = std::move(ahead[opened].request);
      PushIndent(context);
      // The frame may move as the stack grows: what it gives is read first.
      ListingPlace place = frame.place.Child(static_cast<int64_t>(opened), frame.contents.folders);
      if (!OpenFolder(context, &frames, &path, static_cast<size_t>(length), read, frame.depth + 1, place,
                      frame.contents.rules)) {
        PopIndent(context);
      }
    }
  }
}

}  // namespace

void ListFlat(ListingContext* context, PathNode* entryList) {
  for (PathNode* entry = entryList; entry != nullptr; entry = entry->next) {
    if (ListingStopped(context)) return;
    ListItem(context, entry->text, entry->length, entry->isFile != 0, false);
    if (entry->isFile == 0 && context->request->options.folderScan) ScanInputFolder(context, entry->text);
  }
}

// The input folder itself is never left out; inside a folder git ignores,
// nothing is listed.
void ScanInputFolder(ListingContext* context, const char16_t* folderPath) {
  if (!ScansAt(context->request->options.maxDepth, 0)) return;
  Shared<IgnoreRules> rules;
  bool ignored = false;
  if (context->request->options.gitIgnore) {
    rules = InputFolderRules(&context->ignore, folderPath, TextLength(folderPath), StyleOf(context), &ignored,
                             &context->failed);
  }
  if (!ignored && !context->failed) ScanFolder(context, folderPath, rules);
}
