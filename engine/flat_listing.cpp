#include "engine/flat_listing.h"

#include <cstring>

#include "engine/folder_readers.h"
#include "engine/git_ignore.h"
#include "engine/output_line.h"
#include "engine/path_rules.h"
#include "engine/text.h"
#include "platform/filesystem.h"
#include "platform/memory.h"

namespace {

// Threads that read folders when the request leaves the number to us: they
// wait on the storage's latency (network round trips), not on the cores.
constexpr int32_t kDefaultReaders = 16;

// A subfolder of the folder being listed and its read-ahead request (null:
// the listing reads it itself when it gets there).
struct Subfolder {
  PathNode* entry;
  ReadRequest* request;
};

// The pool of the listing; null when the request asks for one reader or no
// thread starts. A request for a number of readers starts it the first time
// a folder has subfolders to read ahead. Left to the engine, it starts once
// a folder read waited on its storage: where folders come from the cache,
// threads reading ahead only add switches and memory touched.
ReaderPool* Readers(ListingContext* context) {
  if (!context->readersTried) {
    int32_t readers = context->request->options.readers;
    if (readers == 0) {
      if (!context->slowReads) return nullptr;
      readers = kDefaultReaders;
    }
    context->readersTried = true;
    if (readers > 1) context->readers = StartReaderPool(readers, context->abort, &context->failed);
  }
  return context->readers;
}

// Whether the folder at this depth below its input folder is scanned.
bool ScansAt(const ListingContext* context, int32_t depth) {
  int32_t maxDepth = context->request->options.maxDepth;
  return maxDepth < 0 || depth < maxDepth;
}

FolderFilter FilterOf(const ListingContext* context, const Shared<IgnoreRules>& rules) {
  return FolderFilter{context->exclusions.get(), rules, StyleOf(context)};
}

// Reads the folder's subfolders ahead, as many as the pool takes, the first
// one on top of its stack: the listing needs them in their order. path holds
// the folder's path and a separator (prefixLength units). Returns the
// subfolders in order with their requests; null when there is nothing to
// read ahead or storage ran out (context->failed set).
Subfolder* ReadAhead(ListingContext* context, const FolderContents& contents, char16_t* path, size_t prefixLength,
                     int32_t* count) {
  *count = 0;
  int32_t subfolders = 0;
  for (PathNode* entry = contents.head; entry != nullptr; entry = entry->next) {
    if (entry->isFile == 0 && entry->isLink == 0) ++subfolders;
  }
  if (subfolders == 0 || Readers(context) == nullptr) return nullptr;
  int32_t room = ReadAheadRoom(context->readers);
  if (subfolders > room) subfolders = room;
  if (subfolders <= 0) return nullptr;
  auto* ahead = static_cast<Subfolder*>(PlatformAllocArray(static_cast<size_t>(subfolders), sizeof(Subfolder)));
  if (ahead == nullptr) {
    context->failed = true;
    return nullptr;
  }
  int32_t filled = 0;
  for (PathNode* entry = contents.head; entry != nullptr && filled < subfolders; entry = entry->next) {
    if (entry->isFile == 0 && entry->isLink == 0) ahead[filled++] = Subfolder{entry, nullptr};
  }
  for (int32_t i = subfolders - 1; i >= 0 && !context->failed; --i) {
    PathNode* entry = ahead[i].entry;
    std::memcpy(path + prefixLength, entry->text, (static_cast<size_t>(entry->length) + 1) * sizeof(char16_t));
    size_t length = prefixLength + static_cast<size_t>(entry->length);
    ahead[i].request = SubmitRead(context->readers, path, length, FilterOf(context, contents.rules), &context->failed);
  }
  *count = subfolders;
  return ahead;
}

}  // namespace

void ListFlat(ListingContext* context, PathNode* entryList) {
  for (PathNode* entry = entryList; entry != nullptr; entry = entry->next) {
    if (ListingStopped(context)) return;
    if (entry->isFile == 0) {
      if (AdmitsFolders(context)) AppendOutputLine(context, entry->text, entry->length, false);
      if (context->request->options.folderScan) ScanInputFolder(context, entry->text);
    } else if (AdmitsFiles(context)) {
      AppendOutputLine(context, entry->text, entry->length, true);
    }
  }
}

// The input folder itself is never left out; inside a folder git ignores,
// nothing is listed.
void ScanInputFolder(ListingContext* context, const char16_t* folderPath) {
  if (!ScansAt(context, 0)) return;
  Shared<IgnoreRules> rules;
  bool ignored = false;
  if (context->request->options.gitIgnore) {
    rules = InputFolderRules(&context->ignore, folderPath, TextLength(folderPath), StyleOf(context), &ignored,
                             &context->failed);
  }
  if (!ignored && !context->failed) ScanFolder(context, folderPath, nullptr, 0, rules);
}

// Folders whose entries are symbolic links or junctions are listed but never
// descended into, so a link back to an ancestor cannot loop. The folder
// passed in is always read, link or not: the user chose it. A folder read
// ahead (request not null) is taken from the readers; its problem is told
// here, so problems come in the listing's order.
void ScanFolder(ListingContext* context, const char16_t* folderPath, ReadRequest* request, int32_t depth,
                const Shared<IgnoreRules>& rules) {
  FolderContents contents = kNoContents;
  if (request != nullptr) {
    TakeRead(context->readers, request, &contents);
  } else {
    ReadFolderContents(folderPath, FilterOf(context, rules), context->abort, nullptr, &contents);
  }
  if (contents.failed) context->failed = true;
  if (contents.slow) context->slowReads = true;
  CountFolderRead(context, contents.count);
  if (contents.read != FolderRead::Complete && !ListingStopped(context)) {
    ReportProblem(context, ListingProblemKind::UnreadableFolder, folderPath, contents.error);
  }
  if (ListingStopped(context)) {
    FreeFolderContents(&contents);
    return;
  }

  // One buffer for every entry's full path, sized for the longest name.
  size_t folderLength = TextLength(folderPath);
  size_t longestName = 0;
  for (PathNode* entry = contents.head; entry != nullptr; entry = entry->next) {
    if (static_cast<size_t>(entry->length) > longestName) longestName = static_cast<size_t>(entry->length);
  }
  const char16_t separator = PathSeparator(context);
  bool endsInSeparator = folderLength > 0 && folderPath[folderLength - 1] == separator;
  size_t prefixLength = folderLength + (endsInSeparator ? 0 : 1);
  char16_t* path = nullptr;
  if (contents.head != nullptr) {
    path = static_cast<char16_t*>(PlatformAllocArray(prefixLength + longestName + 1, sizeof(char16_t)));
    if (path == nullptr) context->failed = true;
  }
  if (path != nullptr) {
    std::memcpy(path, folderPath, folderLength * sizeof(char16_t));
    if (!endsInSeparator) path[folderLength] = separator;
  }
  int32_t aheadCount = 0;
  bool scansBelow = ScansAt(context, depth + 1);
  Subfolder* ahead =
      path != nullptr && scansBelow ? ReadAhead(context, contents, path, prefixLength, &aheadCount) : nullptr;
  int32_t nextAhead = 0;

  for (PathNode* entry = contents.head; entry != nullptr && path != nullptr; entry = entry->next) {
    if (ListingStopped(context)) break;
    std::memcpy(path + prefixLength, entry->text, (static_cast<size_t>(entry->length) + 1) * sizeof(char16_t));
    int32_t length = static_cast<int32_t>(prefixLength) + entry->length;
    bool isLast = entry->next == nullptr;
    if (entry->isFile == 0) {
      if (AdmitsFolders(context)) {
        if (isLast) MarkLastSibling(context);
        AppendOutputLine(context, path, length, false);
      }
      if (entry->isLink == 0 && scansBelow) {
        ReadRequest* read = nullptr;
        if (nextAhead < aheadCount && ahead[nextAhead].entry == entry) read = ahead[nextAhead++].request;
        PushIndent(context);
        ScanFolder(context, path, read, depth + 1, contents.rules);
        PopIndent(context);
      }
    } else if (AdmitsFiles(context)) {
      if (isLast) MarkLastSibling(context);
      AppendOutputLine(context, path, length, true);
    }
  }
  // Requests not taken (the listing stopped) are the pool's to free.
  PlatformFree(ahead);
  PlatformFree(path);
  FreeFolderContents(&contents);
}
