#pragma once
// Folders read ahead of the listing by a pool of reader threads, so that
// many reads (network round trips) are in flight at once. The listing alone
// decides what is read ahead and takes each folder's entries in its own
// order, so the text is the same with any number of readers.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/ignore_patterns.h"
#include "engine/path_node.h"
#include "engine/path_rules.h"
#include "platform/array.h"
#include "platform/filesystem.h"
#include "platform/owned.h"
#include "platform/shared.h"
#include "platform/thread.h"

struct Exclusions;

// What leaves entries of a folder out as it is read, so that a folder left
// out is never read: the job's --exclude globs, and inside a git working
// tree what git ignores. Only read while the listing runs, so the readers
// share it.
struct FolderFilter {
  const Exclusions* exclusions;  // null: none
  Shared<IgnoreRules> rules;     // the rules of the folder's parent; empty:
                                 // not in a tree
  PathStyle style;
};

// One folder's entries, read, filtered and sorted (SortNodeList).
struct FolderContents {
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  NodeArena arena;                       // holds every node
  int64_t count = 0;                     // entries read
  FolderRead read = FolderRead::Complete;
  int32_t error = 0;                     // the system's error code when read is not Complete
  bool failed = false;                   // storage ran out: the job ends Failed
  bool whole = true;                     // false: a cancel or the pool's stop cut the read short
  bool slow = false;                     // the read waited on its storage (took long for its entries)
  Shared<IgnoreRules> rules;             // the folder's own rules, for its subfolders

  FolderContents() = default;
  FolderContents(FolderContents&& other) noexcept { Swap(other); }
  FolderContents& operator=(FolderContents&& other) noexcept { return Swap(other); }
  FolderContents& Swap(FolderContents& other) noexcept;
};

// Reads a folder's entries ("." and ".." and what the filter leaves out
// left out) and sorts them. The read stops once abort or *stop (null:
// none) is set. Tells whether the system took long (a network, a disk that
// seeks): reading ahead pays off there.
FolderContents ReadFolderContents(const char16_t* path, const FolderFilter& filter, const std::atomic<bool>* abort,
                                  const std::atomic<bool>* stop);

enum class RequestState : int32_t { Queued, Reading, Read };

// A folder to read ahead, held by the listing and, while queued or read,
// by the pool or its reader.
struct ReadRequest {
  ReadRequest(Text path, const FolderFilter& filter);
  SharedCount holders;
  Text path;
  FolderFilter filter;
  RequestState state = RequestState::Queued;    // under the pool's lock
  bool heldBack = false;                        // under the lock: its reader waits for room
  FolderContents contents;                      // the reader's while Reading
};

// The reader threads and the requests queued for them. It ends by stopping
// the readers and waiting for each.
struct ReaderPool {
  ReaderPool(int32_t maxThreads, const std::atomic<bool>* abort) : maxThreads(maxThreads), abort(abort) {}
  ~ReaderPool();
  SyncHandle sync = nullptr;
  Array<ThreadHandle> threads;   // started, room for maxThreads
  int32_t maxThreads;
  const std::atomic<bool>* abort;
  std::atomic<bool> stop{false};    // the pool ends, or a reader's storage ran out
  std::atomic<bool> failed{false};  // a reader's storage ran out
  // Under the lock:
  Array<Shared<ReadRequest>> queued;  // read last queued first
  int64_t heldEntries = 0;            // entries read or counted in for reads under way, not taken
  int32_t idleReaders = 0;            // readers waiting for work or room
  const ReadRequest* awaited = nullptr;  // the request the listing waits for
  // The listing's alone:
  int32_t outstanding = 0;            // requests submitted and not taken back
};

// Starts up to `readers` reader threads. Empty with *failed set when storage
// runs out; empty alone when no thread can be started (the listing then
// reads every folder itself).
Owned<ReaderPool> StartReaderPool(int32_t readers, const std::atomic<bool>* abort, bool* failed);

// How many more requests the pool takes now (its bound on requests not yet
// taken back).
int32_t ReadAheadRoom(const ReaderPool* pool);

// Queues a folder (its full path, length units) for reading with the
// filter (its rules held by the request); requests are read last queued
// first. Empty with *failed set when storage runs out.
Shared<ReadRequest> SubmitRead(ReaderPool* pool, const char16_t* path, size_t length, const FolderFilter& filter,
                               bool* failed);

// Takes a request's contents: waits while a reader has it in hand, reads it
// on the calling thread while it is still queued. At a cancel the contents
// are empty; failed is set in them when any reader's storage ran out.
FolderContents TakeRead(ReaderPool* pool, const Shared<ReadRequest>& request);
