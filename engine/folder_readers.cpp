#include "engine/folder_readers.h"

#include <cstring>
#include <new>

#include "engine/exclusions.h"
#include "engine/git_repository.h"
#include "engine/text.h"
#include "platform/memory.h"
#include "platform/thread.h"

namespace {

// Requests not yet taken back, at most: beyond it the listing reads folders
// itself when it gets to them.
constexpr int32_t kMaxOutstanding = 4096;
// Entries held in read but not yet taken results, at most: beyond it the
// readers take no new request until the listing catches up.
constexpr int64_t kMaxHeldEntries = int64_t{1} << 16;
// How long a waiting thread sleeps before it looks at the cancel again.
constexpr int32_t kWaitMilliseconds = 10;
// A folder read that takes longer than this, with an allowance per entry,
// waits on its storage: a network read costs round trips however few the
// entries, while a local folder in the cache reads in microseconds per entry
// (a few even under Wine, which looks up every entry).
constexpr int64_t kSlowReadMicroseconds = 500;
constexpr int64_t kSlowReadMicrosecondsPerEntry = 20;

struct Collector {
  FolderContents* out;
  const std::atomic<bool>* abort;
  const std::atomic<bool>* stop;
  PathStyle style;
  bool hasIgnoreFile;  // a .gitignore that is no folder
  bool hasGit;         // a .git, file or folder
};

// Collects one enumerated entry, unsorted. Stops the enumeration at a
// cancel, a stop of the pool, or when storage runs out.
bool CollectEntry(void* context, const FolderEntry& entry) {
  auto* collector = static_cast<Collector*>(context);
  if (collector->abort->load(std::memory_order_relaxed)) return false;
  if (collector->stop != nullptr && collector->stop->load(std::memory_order_relaxed)) return false;
  if (TextEqual(entry.name, u".") || TextEqual(entry.name, u"..")) return true;
  FolderContents* out = collector->out;
  size_t length = TextLength(entry.name);
  PathNode* node = length < INT32_MAX ? AppendArenaNode(&out->arena, entry.name, static_cast<int32_t>(length),
                                                        &out->head, &out->tail, entry.isFolder ? 0 : 1)
                                      : nullptr;
  if (node == nullptr) {
    out->failed = true;
    return false;
  }
  node->isLink = entry.isLink ? 1 : 0;
  ++out->count;
  collector->hasGit = collector->hasGit || IsGitName(entry.name, length, collector->style);
  collector->hasIgnoreFile =
      collector->hasIgnoreFile || (!entry.isFolder && IsIgnoreFileName(entry.name, length, collector->style));
  return true;
}

// Takes the node after previous (or the head) out of the list.
void Unlink(FolderContents* out, PathNode* previous, PathNode* node) {
  (previous != nullptr ? previous->next : out->head) = node->next;
  if (out->tail == node) out->tail = previous;
}

// Leaves out what the filter excludes. Inside a working tree the folder's
// own rules are loaded first (its .gitignore over its parent's), .git is
// never listed, and a folder holding .git below the tree's root is another
// repository, which git does not look into: nothing of it is listed.
void FilterEntries(const char16_t* path, const FolderFilter& filter, bool hasIgnoreFile, bool hasGit,
                   FolderContents* out) {
  IgnorePath below;
  if (filter.rules) {
    size_t longest = 0;
    for (PathNode* node = out->head; node != nullptr; node = node->next) {
      if (static_cast<size_t>(node->length) > longest) longest = static_cast<size_t>(node->length);
    }
    if (!StartIgnorePath(&below, *filter.rules, path, TextLength(path), longest, filter.style)) {
      out->failed = true;
      return;
    }
    if (hasGit && below.folderLength > 0) {
      out->head = out->tail = nullptr;
    } else if (hasIgnoreFile) {
      out->rules =
          LoadFolderRules(filter.rules, path, TextLength(path), below.folderLength, filter.style, &out->failed);
    } else {
      out->rules = filter.rules;
    }
  }
  PathNode* previous = nullptr;
  for (PathNode* node = out->head; node != nullptr && !out->failed;) {
    PathNode* next = node->next;
    size_t length = static_cast<size_t>(node->length);
    bool isFolder = node->isFile == 0 && node->isLink == 0;  // to git a link is no folder
    bool left = ExcludesName(filter.exclusions, node->text, length) ||
                (out->rules && (IsGitName(node->text, length, filter.style) ||
                                IsIgnored(*out->rules, &below, node->text, length, isFolder)));
    if (left) {
      Unlink(out, previous, node);
    } else {
      previous = node;
    }
    node = next;
  }
}

}  // namespace

enum class RequestState : int32_t { Queued, Reading, Read };

// A folder to read ahead. It is linked in the pool's list of requests not
// taken back, and while queued in the stack too.
struct ReadRequest {
  ReadRequest* stackPrevious;  // towards the top
  ReadRequest* stackNext;
  ReadRequest* listPrevious;
  ReadRequest* listNext;
  RequestState state;  // under the pool's lock
  char16_t* path;
  FolderFilter filter;      // its rules held by the request
  FolderContents contents;  // the reader's while Reading
};

struct ReaderPool {
  SyncHandle sync;
  ThreadHandle* threads;
  int32_t threadCount;       // started
  int32_t maxThreads;
  const std::atomic<bool>* abort;
  std::atomic<bool> stop;    // the pool ends, or a reader's storage ran out
  std::atomic<bool> failed;  // a reader's storage ran out
  // Under the lock:
  ReadRequest* top;          // the queued requests, last submitted first
  ReadRequest* requests;     // every request not taken back
  int64_t heldEntries;       // entries of Read requests
  int32_t idleReaders;       // readers waiting for work or room
  bool listingWaits;         // the listing waits for a request being read
  // The listing's alone:
  int32_t outstanding;       // requests submitted and not taken back
};

namespace {

void FreeRequest(ReadRequest* request) {
  FreeFolderContents(&request->contents);
  PlatformFree(request->path);
  PlatformDelete{}(request);
}

// With the lock held: takes a queued request out of the stack.
void Unstack(ReaderPool* pool, ReadRequest* request) {
  if (request->stackPrevious != nullptr) request->stackPrevious->stackNext = request->stackNext;
  else pool->top = request->stackNext;
  if (request->stackNext != nullptr) request->stackNext->stackPrevious = request->stackPrevious;
  request->stackPrevious = request->stackNext = nullptr;
}

// With the lock held: takes a request out of the list of those not taken.
void Unlist(ReaderPool* pool, ReadRequest* request) {
  if (request->listPrevious != nullptr) request->listPrevious->listNext = request->listNext;
  else pool->requests = request->listNext;
  if (request->listNext != nullptr) request->listNext->listPrevious = request->listPrevious;
  request->listPrevious = request->listNext = nullptr;
}

bool PoolStopping(const ReaderPool* pool) {
  return pool->stop.load(std::memory_order_relaxed) || pool->abort->load(std::memory_order_relaxed);
}

// A reader: reads the request on top of the stack while the held entries
// stay under their bound, until the pool stops or the job is cancelled.
void RunReader(void* parameter) {
  auto* pool = static_cast<ReaderPool*>(parameter);
  g_thread.lock(pool->sync);
  while (!PoolStopping(pool)) {
    ReadRequest* request = pool->top;
    if (request == nullptr || pool->heldEntries >= kMaxHeldEntries) {
      ++pool->idleReaders;
      g_thread.waitSync(pool->sync, kWaitMilliseconds);
      --pool->idleReaders;
      continue;
    }
    Unstack(pool, request);
    request->state = RequestState::Reading;
    g_thread.unlock(pool->sync);
    ReadFolderContents(request->path, request->filter, pool->abort, &pool->stop, &request->contents);
    if (request->contents.failed) {
      pool->failed.store(true);
      pool->stop.store(true);
    }
    g_thread.lock(pool->sync);
    request->state = RequestState::Read;
    pool->heldEntries += request->contents.count;
    // Only the listing waits for a read to end; waking the idle readers
    // too would cost a switch each for nothing.
    if (pool->listingWaits) g_thread.wakeAll(pool->sync);
  }
  g_thread.unlock(pool->sync);
}

// Starts one more reader; false when the system refuses.
bool AddReader(ReaderPool* pool) {
  ThreadHandle thread = g_thread.startThread(RunReader, pool);
  if (thread == nullptr) return false;
  pool->threads[pool->threadCount++] = thread;
  return true;
}

}  // namespace

void ReadFolderContents(const char16_t* path, const FolderFilter& filter, const std::atomic<bool>* abort,
                        const std::atomic<bool>* stop, FolderContents* out) {
  Collector collector{out, abort, stop, filter.style, false, false};
  int64_t began = g_thread.microseconds();
  out->read = g_fileSystem.enumerateFolder(path, CollectEntry, &collector);
  int64_t took = g_thread.microseconds() - began;
  out->slow = took > kSlowReadMicroseconds + kSlowReadMicrosecondsPerEntry * out->count;
  out->error = out->read != FolderRead::Complete ? g_fileSystem.lastError() : 0;
  bool filtered = filter.exclusions != nullptr || filter.rules;
  if (filtered && !out->failed && !abort->load(std::memory_order_relaxed)) {
    FilterEntries(path, filter, collector.hasIgnoreFile, collector.hasGit, out);
  }
  // Sorting after reading costs O(n log n); inserting each entry into a
  // sorted list would cost O(n^2) for entries that arrive out of order.
  if (!out->failed && !abort->load(std::memory_order_relaxed)) SortNodeList(&out->head, &out->tail);
}

void FreeFolderContents(FolderContents* contents) {
  FreeNodeArena(&contents->arena);
  contents->rules = {};
  contents->head = contents->tail = nullptr;
  contents->count = 0;
}

// The pool starts with one reader and gains one with each request beyond
// the readers it has, so a small tree starts few threads. When not even the
// first starts, there is no pool.
ReaderPool* StartReaderPool(int32_t readers, const std::atomic<bool>* abort, bool* failed) {
  void* block = PlatformAlloc(sizeof(ReaderPool));
  auto* threads = static_cast<ThreadHandle*>(PlatformAllocArray(static_cast<size_t>(readers), sizeof(ThreadHandle)));
  SyncHandle sync = block != nullptr && threads != nullptr ? g_thread.createSync() : nullptr;
  if (sync == nullptr) {
    PlatformFree(block);
    PlatformFree(threads);
    *failed = true;
    return nullptr;
  }
  auto* pool =
      new (block) ReaderPool{sync, threads, 0, readers, abort, {false}, {false}, nullptr, nullptr, 0, 0, false, 0};
  if (!AddReader(pool)) {
    StopReaderPool(pool);
    return nullptr;
  }
  return pool;
}

int32_t ReadAheadRoom(const ReaderPool* pool) { return kMaxOutstanding - pool->outstanding; }

ReadRequest* SubmitRead(ReaderPool* pool, const char16_t* path, size_t length, const FolderFilter& filter,
                        bool* failed) {
  auto* request = static_cast<ReadRequest*>(PlatformAlloc(sizeof(ReadRequest)));
  char16_t* copy = request != nullptr ? CopyText(path, length) : nullptr;
  if (copy == nullptr) {
    PlatformFree(request);
    *failed = true;
    return nullptr;
  }
  new (request) ReadRequest{nullptr, nullptr, nullptr, nullptr, RequestState::Queued, copy, filter, kNoContents};
  g_thread.lock(pool->sync);
  request->stackNext = pool->top;
  if (pool->top != nullptr) pool->top->stackPrevious = request;
  pool->top = request;
  request->listNext = pool->requests;
  if (pool->requests != nullptr) pool->requests->listPrevious = request;
  pool->requests = request;
  // One new request needs one reader; the listing, the only other waiter,
  // is the caller.
  if (pool->idleReaders > 0) g_thread.wakeOne(pool->sync);
  g_thread.unlock(pool->sync);
  ++pool->outstanding;
  // A reader refused by the system leaves the work to those there are.
  if (pool->threadCount < pool->maxThreads && pool->threadCount < pool->outstanding) AddReader(pool);
  return request;
}

// A request still queued is read here rather than waited for: every reader
// may be busy with folders the listing needs only later.
void TakeRead(ReaderPool* pool, ReadRequest* request, FolderContents* out) {
  *out = kNoContents;
  bool readHere = false;
  g_thread.lock(pool->sync);
  pool->listingWaits = true;
  while (request->state == RequestState::Reading && !pool->abort->load(std::memory_order_relaxed)) {
    g_thread.waitSync(pool->sync, kWaitMilliseconds);
  }
  pool->listingWaits = false;
  bool taken = request->state != RequestState::Reading;
  if (taken) {
    if (request->state == RequestState::Queued) {
      Unstack(pool, request);
      readHere = true;
    } else {
      pool->heldEntries -= request->contents.count;
      // A reader held back by the bound may go on: one for each folder
      // taken back, as the room is soon taken again.
      if (pool->top != nullptr && pool->heldEntries < kMaxHeldEntries && pool->idleReaders > 0) {
        g_thread.wakeOne(pool->sync);
      }
    }
    Unlist(pool, request);
  }
  g_thread.unlock(pool->sync);
  if (!taken) return;
  --pool->outstanding;
  if (readHere) {
    ReadFolderContents(request->path, request->filter, pool->abort, &pool->stop, out);
  } else {
    *out = request->contents;
    request->contents = kNoContents;
  }
  FreeRequest(request);
  if (pool->failed.load()) out->failed = true;
}

void StopReaderPool(ReaderPool* pool) {
  if (pool == nullptr) return;
  pool->stop.store(true);
  g_thread.lock(pool->sync);
  g_thread.wakeAll(pool->sync);
  g_thread.unlock(pool->sync);
  for (int32_t i = 0; i < pool->threadCount; ++i) {
    g_thread.waitThread(pool->threads[i]);
    g_thread.closeThread(pool->threads[i]);
  }
  while (pool->requests != nullptr) {
    ReadRequest* request = pool->requests;
    pool->requests = request->listNext;
    FreeRequest(request);
  }
  g_thread.destroySync(pool->sync);
  PlatformFree(pool->threads);
  pool->~ReaderPool();
  PlatformFree(pool);
}
