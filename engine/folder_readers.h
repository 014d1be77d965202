#pragma once
// Folders read ahead of the listing by reader threads, so that many reads
// (network round trips) are in flight at once, at every level of the tree.
// The listing takes each folder whole, in its own order: the text is the
// same with any number of readers.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "engine/ignore_patterns.h"
#include "engine/path_node.h"
#include "engine/path_rules.h"
#include "platform/array.h"
#include "platform/filesystem.h"
#include "platform/owned.h"
#include "platform/shared.h"
#include "platform/thread.h"

struct Exclusions;

// What leaves entries out as a folder is read, so that a folder left out is
// never read: the --exclude globs, and in a git working tree what git ignores.
struct FolderFilter {
  const Exclusions* exclusions;  // null: none
  Shared<IgnoreRules> rules;     // the rules of the folder's parent; empty: not in a tree
  PathStyle style;
};

struct ReadRequest;

// Whether folders depth levels below the input folder are scanned (maxDepth negative: no limit).
inline bool ScansAt(int32_t maxDepth, int32_t depth) { return maxDepth < 0 || depth < maxDepth; }

// Whether a listing opens the entry as a folder: links it never opens.
inline bool OpensAsFolder(const PathNode* entry) { return entry->isFile == 0 && entry->isLink == 0; }

// The first entry from entry on that a listing opens as a folder; null if none.
inline PathNode* NextSubfolder(PathNode* entry) {
  while (entry != nullptr && !OpensAsFolder(entry)) entry = entry->next;
  return entry;
}

// A subfolder and its read-ahead request (empty: the listing reads it itself).
struct Subfolder {
  PathNode* entry;
  Shared<ReadRequest> request;
};

// One folder's entries, read, filtered and sorted (SortNodeList).
struct FolderContents {
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  NodeArena arena;                       // holds every node
  int64_t count = 0;                     // entries read
  int64_t folders = 0;                   // of them, subfolders a listing opens
  FolderRead read = FolderRead::Complete;
  int32_t error = 0;                     // the system's error code when not Complete
  bool failed = false;                   // storage ran out: the job ends Failed
  bool whole = true;                     // false: a cancel or the pool's stop cut the read short
  bool slow = false;                     // the read waited on its storage
  Shared<IgnoreRules> rules;             // the folder's own rules, for its subfolders
  Array<Subfolder> ahead;                // its first subfolders, read ahead, in order

  // The first subfolder after those read ahead; null if none.
  PathNode* NextNotAhead() { return NextSubfolder(ahead.empty() ? head : ahead.back().entry->next); }
};

struct Grant;

// Reads and sorts a folder's entries but "." and ".." and what the filter
// leaves out; stops once abort or *stop (null: none) is set. A pool reader
// counts the entries into its grant as they arrive; the listing has none.
FolderContents ReadFolderContents(const char16_t* path, const FolderFilter& filter, const std::atomic<bool>* abort,
                                  const std::atomic<bool>* stop, Grant* grant = nullptr);

// Taken: the listing took it while it was queued and read it itself.
enum class RequestState : int32_t { Queued, Reading, Read, Taken };

// Where a folder comes in the listing's order: its subtree has the keys
// [key, key + span), so readers read first what the listing needs first. A
// span too narrow to split gives ties (an order of reads, never of lines).
struct ListingPlace {
  uint64_t key;
  uint64_t span;
  // The place of the i-th of n subfolders.
  ListingPlace Child(int64_t i, int64_t n) const {
    uint64_t step = span > 1 && n > 0 ? (span - 1) / static_cast<uint64_t>(n) : 0;
    return ListingPlace{key + 1 + static_cast<uint64_t>(i) * step, step};
  }
};
constexpr ListingPlace kInputFolderPlace{0, UINT64_MAX};

// A folder to read ahead, held by its parent's contents and by the pool.
struct ReadRequest {
  ReadRequest(Text path, const FolderFilter& filter, int32_t depth, int32_t aheadLevel, ListingPlace place)
      : path(std::move(path)), filter(filter), depth(depth), aheadLevel(aheadLevel), place(place) {}
  SharedCount holders;
  Text path;
  FolderFilter filter;
  int32_t depth;       // levels below the input folder
  int32_t aheadLevel;  // levels below the folder the listing submitted it from
  ListingPlace place;
  RequestState state = RequestState::Queued;  // under the pool's lock
  bool heldBack = false;                      // under the lock: its reader waits for room
  FolderContents contents;                    // the reader's while Reading
};

// The reader threads and their queue; it ends by stopping and joining them.
struct ReaderPool {
  ReaderPool(int32_t maxThreads, int32_t maxDepth, const std::atomic<bool>* abort)
      : maxThreads(maxThreads), maxDepth(maxDepth), abort(abort) {}
  ~ReaderPool();
  SyncHandle sync = nullptr;
  Array<ThreadHandle> threads;   // under the lock: started, room for maxThreads
  int32_t maxThreads;
  int32_t maxDepth;              // the listing's depth limit (negative: none)
  const std::atomic<bool>* abort;
  std::atomic<bool> stop{false};  // the pool ends, or a reader's storage ran out
  // Under the lock:
  Array<Shared<ReadRequest>> queued;  // a heap, the least key on top
  int64_t heldEntries = 0;            // entries read or counted in for reads under way, not taken
  int32_t idleReaders = 0;            // readers waiting for work or room
  int32_t outstanding = 0;            // requests submitted and not taken back or dropped
  const ReadRequest* awaited = nullptr;  // the request the listing waits for
};

// Starts a pool of up to `readers` threads. Empty with *failed set when
// storage runs out; empty alone when no thread starts.
Owned<ReaderPool> StartReaderPool(int32_t readers, int32_t maxDepth, const std::atomic<bool>* abort, bool* failed);

// Queues the subfolders of contents (the folder at path, length units, read
// with filter) after those in contents->ahead, as many as the pool has room
// for, into contents->ahead. Sets contents->failed when storage runs out.
// aheadLevel: levels below the folder the listing itself queued from.
void ReadSubfoldersAhead(ReaderPool* pool, const char16_t* path, size_t length, int32_t depth, ListingPlace place,
                         const FolderFilter& filter, FolderContents* contents, int32_t aheadLevel = 0);

// Takes a request's contents: waits while a reader has it, reads it here if
// still queued. Empty at a cancel; failed when any reader's storage ran out.
FolderContents TakeRead(ReaderPool* pool, const Shared<ReadRequest>& request);
