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
#include "platform/filesystem.h"

struct Exclusions;

// What leaves entries of a folder out as it is read, so that a folder left
// out is never read: the job's --exclude globs, and inside a git working
// tree what git ignores. Only read while the listing runs, so the readers
// share it.
struct FolderFilter {
  const Exclusions* exclusions;  // null: none
  Shared<IgnoreRules> rules;     // the rules of the folder's parent; null: not
                                 // in a tree
  PathStyle style;
};

// One folder's entries, read, filtered and sorted (SortNodeList).
struct FolderContents {
  PathNode* head;
  PathNode* tail;
  NodeArena arena;      // holds every node
  int64_t count;        // entries read
  FolderRead read;
  int32_t error;        // the system's error code when read is not Complete
  bool failed;          // storage ran out: the job ends Failed
  bool slow;            // the read waited on its storage (took long for its entries)
  Shared<IgnoreRules> rules;  // the folder's own rules, for its subfolders
};

inline const FolderContents kNoContents{nullptr, nullptr, NodeArena{nullptr, 0}, 0, FolderRead::Complete, 0, false,
                                        false, {}};

// Reads a folder's entries ("." and ".." and what the filter leaves out
// left out) and sorts them. The read stops once abort or *stop (null:
// none) is set. Tells whether the system took long (a network, a disk that
// seeks): reading ahead pays off there.
void ReadFolderContents(const char16_t* path, const FolderFilter& filter, const std::atomic<bool>* abort,
                        const std::atomic<bool>* stop, FolderContents* out);
void FreeFolderContents(FolderContents* contents);

struct ReaderPool;
struct ReadRequest;

// Starts up to `readers` reader threads. Null with *failed set when storage
// runs out; null alone when no thread can be started (the listing then
// reads every folder itself).
ReaderPool* StartReaderPool(int32_t readers, const std::atomic<bool>* abort, bool* failed);

// How many more requests the pool takes now (its bound on requests not yet
// taken back).
int32_t ReadAheadRoom(const ReaderPool* pool);

// Queues a folder (its full path, length units) for reading with the
// filter (its rules held by the request); requests are read last queued
// first. Null with *failed set when storage runs out.
ReadRequest* SubmitRead(ReaderPool* pool, const char16_t* path, size_t length, const FolderFilter& filter,
                        bool* failed);

// Takes a request's contents: waits while a reader has it in hand, reads it
// on the calling thread while it is still queued. At a cancel *out is left
// empty; failed is set in *out when any reader's storage ran out. A request
// taken is freed; one not taken is freed by StopReaderPool.
void TakeRead(ReaderPool* pool, ReadRequest* request, FolderContents* out);

// Stops the readers, waits for each to end, and frees every request not
// taken back and the pool itself. A null pool is allowed.
void StopReaderPool(ReaderPool* pool);
