#include "engine/flat_listing.h"

#include <cstring>

#include "engine/network_drive.h"
#include "engine/output_line.h"
#include "engine/path_rules.h"
#include "engine/text.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/network.h"

namespace {

struct FolderEntries {
  ListingContext* context;
  PathNode* head;
  PathNode* tail;
  NodeArena arena;  // holds every node of the list
};

// Collects one enumerated entry, unsorted; the list is sorted once at the
// end. Stops the enumeration at a cancel or when storage runs out.
bool CollectEntry(void* context, const FolderEntry& entry) {
  auto* entries = static_cast<FolderEntries*>(context);
  if (ListingStopped(entries->context)) return false;
  if (TextEqual(entry.name, u".") || TextEqual(entry.name, u"..")) return true;
  size_t length = TextLength(entry.name);
  PathNode* node = length < INT32_MAX ? AppendArenaNode(&entries->arena, entry.name, static_cast<int32_t>(length),
                                                        &entries->head, &entries->tail, entry.isFolder ? 0 : 1)
                                      : nullptr;
  if (node == nullptr) {
    entries->context->failed = true;
    return false;
  }
  node->isLink = entry.isLink ? 1 : 0;
  return true;
}

// Reads a folder's entries. A network folder is read through a temporary
// drive letter, released again before any of its lines is written; when no
// letter can be connected it is read by its network path directly. A folder
// that cannot be read, or fails partway, keeps what was read.
void ReadFolder(ListingContext* context, const char16_t* folderPath, FolderEntries* entries) {
  char16_t drive[3] = {0, 0, 0};
  if (IsNetworkPath(folderPath, static_cast<int32_t>(TextLength(folderPath)), StyleOf(context))) {
    MapUncToDrive(folderPath, drive);
  }
  const char16_t* readFrom = drive[0] != 0 ? drive : folderPath;
  FolderRead read = g_fileSystem.enumerateFolder(readFrom, CollectEntry, entries);
  int32_t error = read != FolderRead::Complete ? g_fileSystem.lastError() : 0;
  if (drive[0] != 0) g_network.cancelDrive(drive);
  if (read != FolderRead::Complete && !ListingStopped(context)) {
    ReportProblem(context, ListingProblemKind::UnreadableFolder, folderPath, error);
  }
}

}  // namespace

void ListFlat(ListingContext* context, PathNode* entryList) {
  for (PathNode* entry = entryList; entry != nullptr; entry = entry->next) {
    if (ListingStopped(context)) return;
    if (entry->isFile == 0) {
      if (AdmitsFolders(context)) AppendOutputLine(context, entry->text, entry->length, false);
      if (context->request->options.folderScan) ScanFolder(context, entry->text);
    } else if (AdmitsFiles(context)) {
      AppendOutputLine(context, entry->text, entry->length, true);
    }
  }
}

// Folders whose entries are symbolic links or junctions are listed but never
// descended into, so a link back to an ancestor cannot loop. The folder
// passed in is always read, link or not: the user chose it.
void ScanFolder(ListingContext* context, const char16_t* folderPath) {
  FolderEntries entries{context, nullptr, nullptr, NodeArena{nullptr, 0}};
  ReadFolder(context, folderPath, &entries);
  if (ListingStopped(context)) {
    FreeNodeArena(&entries.arena);
    return;
  }
  // Sorting after reading costs O(n log n); inserting each entry into a
  // sorted list would cost O(n^2) for entries that arrive out of order.
  SortNodeList(&entries.head, &entries.tail);

  // One buffer for every entry's full path, sized for the longest name.
  size_t folderLength = TextLength(folderPath);
  size_t longestName = 0;
  for (PathNode* entry = entries.head; entry != nullptr; entry = entry->next) {
    if (static_cast<size_t>(entry->length) > longestName) longestName = static_cast<size_t>(entry->length);
  }
  const char16_t separator = PathSeparator(context);
  bool endsInSeparator = folderLength > 0 && folderPath[folderLength - 1] == separator;
  size_t prefixLength = folderLength + (endsInSeparator ? 0 : 1);
  char16_t* path = nullptr;
  if (entries.head != nullptr) {
    path = static_cast<char16_t*>(PlatformAllocArray(prefixLength + longestName + 1, sizeof(char16_t)));
    if (path == nullptr) context->failed = true;
  }
  if (path != nullptr) {
    std::memcpy(path, folderPath, folderLength * sizeof(char16_t));
    if (!endsInSeparator) path[folderLength] = separator;
  }

  for (PathNode* entry = entries.head; entry != nullptr && path != nullptr; entry = entry->next) {
    if (ListingStopped(context)) break;
    std::memcpy(path + prefixLength, entry->text, (static_cast<size_t>(entry->length) + 1) * sizeof(char16_t));
    int32_t length = static_cast<int32_t>(prefixLength) + entry->length;
    bool isLast = entry->next == nullptr;
    if (entry->isFile == 0) {
      if (AdmitsFolders(context)) {
        if (isLast) MarkLastSibling(context);
        AppendOutputLine(context, path, length, false);
      }
      if (entry->isLink == 0) {
        PushIndent(context);
        ScanFolder(context, path);
        PopIndent(context);
      }
    } else if (AdmitsFiles(context)) {
      if (isLast) MarkLastSibling(context);
      AppendOutputLine(context, path, length, true);
    }
  }
  PlatformFree(path);
  FreeNodeArena(&entries.arena);
}
