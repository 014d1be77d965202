#include "engine/flat_listing.h"

#include <cstring>

#include "engine/gather.h"
#include "engine/job_context.h"
#include "engine/output_line.h"
#include "engine/text.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/network.h"
#include "settings/listing_settings.h"

namespace {

bool AdmitsFiles() {
  return g_settings.itemFilter == ItemFilter::FilesAndFolders ||
         g_settings.itemFilter == ItemFilter::FilesOnly;
}

bool AdmitsFolders() {
  return g_settings.itemFilter == ItemFilter::FilesAndFolders ||
         g_settings.itemFilter == ItemFilter::FoldersOnly;
}

struct FolderEntries {
  PathNode* head;
  PathNode* tail;
};

// Collects one enumerated entry, unsorted; the list is sorted once at the
// end. Stops the enumeration at a cancel or when storage runs out.
bool CollectEntry(void* context, const FolderEntry& entry) {
  if (JobAborted()) return false;
  if (TextEqual(entry.name, u".") || TextEqual(entry.name, u"..")) return true;
  FolderEntries* entries = static_cast<FolderEntries*>(context);
  PathNode* node = AppendNode(entry.name, 0, &entries->head, &entries->tail, entry.isFolder ? 0 : 1);
  if (node == nullptr) return false;
  node->isLink = entry.isLink ? 1 : 0;
  return true;
}

// Reads a folder's entries. A network folder is read through a temporary
// drive letter, released again before any of its lines is emitted; when no
// letter can be connected it is read by its network path directly.
void ReadFolder(const char16_t* folderPath, FolderEntries* entries) {
  bool isNetwork = folderPath[0] == u'\\' && folderPath[1] == u'\\';
  char16_t drive[3] = {0, 0, 0};
  if (isNetwork) MapUncToDrive(folderPath, drive);
  const char16_t* readFrom = drive[0] != 0 ? drive : folderPath;
  g_fileSystem.enumerateFolder(readFrom, CollectEntry, entries);
  if (drive[0] != 0) g_network.cancelDrive(drive);
}

}  // namespace

void ListFlat(PathNode* entryList, PathNode** outputHead, PathNode** outputTail) {
  for (PathNode* entry = entryList; entry != nullptr; entry = entry->next) {
    if (JobAborted()) return;
    if (entry->isFile == 0) {
      if (AdmitsFolders()) AppendOutputLine(outputHead, outputTail, entry->text, entry->length, false);
      if (g_settings.folderScan) ScanFolder(entry->text, outputHead, outputTail);
    } else if (AdmitsFiles()) {
      AppendOutputLine(outputHead, outputTail, entry->text, entry->length, true);
    }
  }
}

// Folders whose entries are symbolic links or junctions are listed but never
// descended into, so a link back to an ancestor cannot loop. The folder
// passed in is always read, link or not: the user chose it.
void ScanFolder(const char16_t* folderPath, PathNode** outputHead, PathNode** outputTail) {
  FolderEntries entries{nullptr, nullptr};
  ReadFolder(folderPath, &entries);
  if (JobAborted()) {
    FreeNodeList(&entries.head, &entries.tail);
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
  bool endsInBackslash = folderLength > 0 && folderPath[folderLength - 1] == u'\\';
  size_t prefixLength = folderLength + (endsInBackslash ? 0 : 1);
  char16_t* path = entries.head == nullptr
                       ? nullptr
                       : static_cast<char16_t*>(PlatformAllocArray(prefixLength + longestName + 1, sizeof(char16_t)));
  if (entries.head != nullptr && path == nullptr) FailJob();
  if (path != nullptr) {
    std::memcpy(path, folderPath, folderLength * sizeof(char16_t));
    if (!endsInBackslash) path[folderLength] = u'\\';
  }

  for (PathNode* entry = entries.head; entry != nullptr && path != nullptr; entry = entry->next) {
    if (JobAborted()) break;
    std::memcpy(path + prefixLength, entry->text, (static_cast<size_t>(entry->length) + 1) * sizeof(char16_t));
    int32_t length = static_cast<int32_t>(prefixLength) + entry->length;
    bool isLast = entry->next == nullptr;
    if (entry->isFile == 0) {
      if (AdmitsFolders()) {
        if (isLast) MarkLastSibling();
        AppendOutputLine(outputHead, outputTail, path, length, false);
      }
      if (entry->isLink == 0) {
        PushIndent();
        ScanFolder(path, outputHead, outputTail);
        PopIndent();
      }
    } else if (AdmitsFiles()) {
      if (isLast) MarkLastSibling();
      AppendOutputLine(outputHead, outputTail, path, length, true);
    }
  }
  PlatformFree(path);
  FreeNodeList(&entries.head, &entries.tail);
}
