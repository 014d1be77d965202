#include "engine/gather.h"

#include <cstring>

#include "engine/flat_listing.h"
#include "engine/job_context.h"
#include "engine/output_line.h"
#include "engine/text.h"
#include "engine/tree_listing.h"
#include "platform/filesystem.h"
#include "platform/memory.h"
#include "platform/network.h"
#include "platform/window.h"
#include "settings/listing_settings.h"

namespace {

// The working storage of one listing phase.
struct Gathering {
  PathNode* entryHead;
  PathNode* entryTail;
  char16_t* firstItem;  // the first readable item, for the common prefix
};

bool NeedsCommonPrefix() {
  return g_settings.pathForm == PathForm::Relative || g_settings.pathForm == PathForm::Tree;
}

// Reads one affix box into a string of the job's own. The text may change
// between the two calls; the copy holds what the second call gave.
bool ReadAffix(Control box, char16_t** text, int32_t* length) {
  int32_t units = g_window.controlTextLength(box);
  if (units < 0) units = 0;
  char16_t* buffer = static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(units) + 1, sizeof(char16_t)));
  if (buffer == nullptr) return false;
  buffer[0] = 0;
  int32_t got = g_window.controlText(box, buffer, units + 1);
  if (got < 0) got = 0;
  if (got > units) got = units;
  buffer[got] = 0;
  *text = buffer;
  *length = static_cast<int32_t>(TextLength(buffer));
  return true;
}

void FreeAffixes() {
  char16_t** texts[] = {&g_job.filePrefix, &g_job.fileSuffix, &g_job.folderPrefix, &g_job.folderSuffix};
  for (char16_t** text : texts) {
    PlatformFree(*text);
    *text = nullptr;
  }
  g_job.filePrefixLength = g_job.fileSuffixLength = 0;
  g_job.folderPrefixLength = g_job.folderSuffixLength = 0;
}

// The start of the listing phase: empty output, counters and indent reset,
// the four affixes read. False (both flags set) when storage runs out.
bool StartListing(PathNode** outputHead, PathNode** outputTail) {
  *outputHead = nullptr;
  *outputTail = nullptr;
  ReleaseTreeIndent();
  g_job.totalChars = 0;
  g_job.lineCount = 0;
  FreeAffixes();
  if (!ReadAffix(Control::FilePrefixEdit, &g_job.filePrefix, &g_job.filePrefixLength) ||
      !ReadAffix(Control::FileSuffixEdit, &g_job.fileSuffix, &g_job.fileSuffixLength) ||
      !ReadAffix(Control::FolderPrefixEdit, &g_job.folderPrefix, &g_job.folderPrefixLength) ||
      !ReadAffix(Control::FolderSuffixEdit, &g_job.folderSuffix, &g_job.folderSuffixLength)) {
    FreeAffixes();
    FailJob();
    return false;
  }
  g_job.commonPrefixLength = NeedsCommonPrefix() ? kCommonPrefixUnset : 0;
  return true;
}

// Releases the working storage of the listing phase, on every way out.
void EndListing(Gathering* work) {
  FreeAffixes();
  ReleaseTreeIndent();
  PlatformFree(work->firstItem);
  work->firstItem = nullptr;
  FreeNodeList(&work->entryHead, &work->entryTail);
}

// One spelling per path: the \\?\ forms become ordinary paths, and runs of
// backslashes become one, except the two that open a network path. Paths
// from a command line can hold such runs; the common prefix and the tree
// must see the same text. Returns the new length.
int32_t NormalizePath(char16_t* path, int32_t length) {
  int32_t read = 0;
  int32_t write = 0;
  auto startsWith = [&](const char16_t* text) {
    int32_t k = 0;
    while (text[k] != 0 && k < length && path[k] == text[k]) ++k;
    return text[k] == 0;
  };
  if (startsWith(u"\\\\?\\UNC\\")) {
    path[write++] = u'\\';
    path[write++] = u'\\';
    read = 8;
  } else if (startsWith(u"\\\\?\\") || startsWith(u"\\\\.\\")) {
    read = 4;
  } else if (length >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    path[write++] = u'\\';
    path[write++] = u'\\';
    read = 2;
  }
  for (; read < length; ++read) {
    if (path[read] == u'\\' && write > 0 && path[write - 1] == u'\\') continue;
    path[write++] = path[read];
  }
  path[write] = 0;
  return write;
}

// The attributes of an input path. A network item is queried through a
// temporary drive letter for its parent folder; when no letter can be had
// (all in use, refused, or no network provider) it is queried directly.
uint32_t QueryItemAttributes(const char16_t* path, int32_t length) {
  if (!(length >= 2 && path[0] == u'\\' && path[1] == u'\\')) return g_fileSystem.queryAttributes(path);
  int32_t lastBackslash = length - 1;
  while (path[lastBackslash] != u'\\') --lastBackslash;
  char16_t* parent = CopyText(path, static_cast<size_t>(lastBackslash));
  if (parent == nullptr) {
    FailJob();
    return kInvalidAttributes;
  }
  char16_t drive[3] = {0, 0, 0};
  MapUncToDrive(parent, drive);
  PlatformFree(parent);
  if (drive[0] == 0) return g_fileSystem.queryAttributes(path);

  int32_t tailLength = length - lastBackslash;
  char16_t* query = static_cast<char16_t*>(PlatformAllocArray(static_cast<size_t>(tailLength) + 3, sizeof(char16_t)));
  uint32_t attributes = kInvalidAttributes;
  if (query == nullptr) {
    FailJob();
  } else {
    query[0] = drive[0];
    query[1] = drive[1];
    std::memcpy(query + 2, path + lastBackslash, (static_cast<size_t>(tailLength) + 1) * sizeof(char16_t));
    attributes = g_fileSystem.queryAttributes(query);
    PlatformFree(query);
  }
  g_network.cancelDrive(drive);
  return attributes;
}

// Narrows the common prefix with one more readable item; the value always
// ends just after a backslash or is 0, and never grows.
bool UpdateCommonPrefix(Gathering* work, const char16_t* path, int32_t length) {
  if (g_job.commonPrefixLength == kCommonPrefixUnset) {
    work->firstItem = CopyText(path, static_cast<size_t>(length));
    if (work->firstItem == nullptr) {
      FailJob();
      return false;
    }
    int32_t value = 0;
    for (int32_t i = 0; i + 1 < length; ++i) {
      if (path[i] == u'\\') value = i + 1;
    }
    g_job.commonPrefixLength = value;
    return true;
  }
  const char16_t* first = work->firstItem;
  int32_t value = 0;
  for (int32_t i = 0; i < g_job.commonPrefixLength && path[i] != 0 && path[i] == first[i]; ++i) {
    if (first[i] == u'\\') value = i + 1;
  }
  g_job.commonPrefixLength = value;
  return true;
}

// The item step for one input path, held in a buffer of the caller's that
// may be rewritten.
void GatherItem(Gathering* work, char16_t* path, int32_t length) {
  length = NormalizePath(path, length);
  uint32_t attributes = QueryItemAttributes(path, length);
  if (attributes == kInvalidAttributes) return;  // unreadable: left out silently
  uint8_t isFile = (attributes & kAttributeDirectory) != 0 ? 0 : 1;
  if (NeedsCommonPrefix() && !UpdateCommonPrefix(work, path, length)) return;
  InsertSorted(path, length, &work->entryHead, &work->entryTail, isFile);
}

// The finish: the builder of the path form runs over the entry list.
void BuildLines(Gathering* work, PathNode** outputHead, PathNode** outputTail) {
  if (g_settings.pathForm == PathForm::Tree) {
    ListTree(outputHead, outputTail, work->entryHead);
  } else {
    ListFlat(work->entryHead, outputHead, outputTail);
  }
}

// Releases the pending drop: every way out of a drop's listing does this.
void ReleasePendingDrop() {
  if (g_job.pendingDrop != nullptr) g_jobInput.releaseDrop(g_job.pendingDrop);
  g_job.pendingDrop = nullptr;
}

}  // namespace

void GatherDroppedItems(PathNode** outputHead, PathNode** outputTail) {
  Gathering work{nullptr, nullptr, nullptr};
  if (!StartListing(outputHead, outputTail)) {
    ReleasePendingDrop();
    return;
  }
  DropHandle drop = g_job.pendingDrop;
  uint32_t count = drop != nullptr ? g_jobInput.dropCount(drop) : 0;
  for (uint32_t index = 0; index < count; ++index) {
    if (JobAborted()) break;
    // Asking for the length first means no path is ever cut short.
    uint32_t length = g_jobInput.dropPathLength(drop, index);
    char16_t* path = static_cast<char16_t*>(PlatformAllocArray(size_t{length} + 1, sizeof(char16_t)));
    if (path == nullptr) {
      FailJob();
      break;
    }
    uint32_t got = g_jobInput.dropPath(drop, index, path, length + 1);
    if (got > length) got = length;
    path[got] = 0;
    GatherItem(&work, path, static_cast<int32_t>(got));
    PlatformFree(path);
  }
  ReleasePendingDrop();
  if (!JobAborted()) BuildLines(&work, outputHead, outputTail);
  EndListing(&work);
}

// The command line: the program path (in double quotes, or up to the first
// space when it was started without them), then the paths, separated by
// spaces; a path that begins with a double quote runs to the next one.
void GatherCommandLineItems(PathNode** outputHead, PathNode** outputTail) {
  Gathering work{nullptr, nullptr, nullptr};
  if (!StartListing(outputHead, outputTail)) return;
  const char16_t* line = g_jobInput.commandLine();
  size_t at = 0;
  if (line[0] == u'"') {
    at = 1;
    while (line[at] != 0 && line[at] != u'"') ++at;
    if (line[at] == 0) {  // the program path's quote is never closed
      FailJob();
      EndListing(&work);
      return;
    }
    ++at;
  } else {
    while (line[at] != 0 && line[at] != u' ') ++at;
  }

  for (;;) {
    if (JobAborted()) break;
    while (line[at] == u' ') ++at;
    if (line[at] == 0) break;
    size_t start;
    size_t end;
    if (line[at] == u'"') {
      start = at + 1;
      end = start;
      while (line[end] != 0 && line[end] != u'"') ++end;
    } else {
      start = at;
      end = start;
      while (line[end] != 0 && line[end] != u' ') ++end;
    }
    char16_t* token = CopyText(line + start, end - start);
    if (token == nullptr) {
      FailJob();
      break;
    }
    GatherItem(&work, token, static_cast<int32_t>(end - start));
    PlatformFree(token);
    if (line[end] == 0) break;
    at = end + 1;
  }
  if (!JobAborted()) BuildLines(&work, outputHead, outputTail);
  EndListing(&work);
}

void MapUncToDrive(const char16_t* remoteFolder, char16_t* driveName) {
  for (char16_t letter = u'z'; letter >= u'a'; --letter) {
    driveName[0] = letter;
    driveName[1] = u':';
    driveName[2] = 0;
    if (g_network.connectDrive(remoteFolder, driveName)) return;
  }
  driveName[0] = 0;
}
