#include "engine/folder_readers.h"

#include <cstring>
#include <utility>

#include "engine/exclusions.h"
#include "engine/git_repository.h"
#include "engine/text.h"

namespace {

// Requests not yet taken back, at most: beyond it the listing reads folders
// itself when it gets to them.
constexpr int32_t kMaxOutstanding = 4096;
// Entries the readers hold, read or being read and not yet taken, at most:
// at it a reader takes no new request and stops mid-folder until the
// listing takes some, unless the listing waits for that very folder.
constexpr int64_t kMaxHeldEntries = int64_t{1} << 16;
// Entries a reader counts into the pool's held entries at a time, so that
// it takes the lock once per so many entries, not once per entry.
constexpr int64_t kEntriesPerGrant = 64;
// How long a waiting thread sleeps before it looks at the cancel again.
constexpr int32_t kWaitMilliseconds = 10;
// A folder read that takes longer than this, with an allowance per entry,
// waits on its storage: a network read costs round trips however few the
// entries, while a local folder in the cache reads in microseconds per entry
// (a few even under Wine, which looks up every entry).
constexpr int64_t kSlowReadMicroseconds = 500;
constexpr int64_t kSlowReadMicrosecondsPerEntry = 20;

// A pool reader's share of the held entries while it reads a request.
struct Grant {
  ReaderPool* pool;
  ReadRequest* request;
  int64_t left;  // entries counted into the pool's held entries and not yet read
};

struct Collector {
  FolderContents* out;
  const std::atomic<bool>* abort;
  const std::atomic<bool>* stop;
  Grant* grant;        // null: the listing's own read, not counted
  PathStyle style;
  bool hasIgnoreFile;  // a .gitignore that is no folder
  bool hasGit;         // a .git, file or folder
};

bool PoolStopping(const ReaderPool* pool) {
  return pool->stop.load(std::memory_order_relaxed) || pool->abort->load(std::memory_order_relaxed);
}

// Counts more entries into the pool's held entries for the reader, waiting
// while that would pass the bound. The folder the listing waits for goes
// on past it: the listing takes nothing else until it has that folder.
// False when the pool stops or the job is cancelled meanwhile.
bool TakeGrant(Grant* grant) {
  ReaderPool* pool = grant->pool;
  g_thread.lock(pool->sync);
  while (!PoolStopping(pool) && pool->heldEntries + kEntriesPerGrant > kMaxHeldEntries &&
         pool->awaited != grant->request) {
    grant->request->heldBack = true;
    ++pool->idleReaders;
    g_thread.waitSync(pool->sync, kWaitMilliseconds);
    --pool->idleReaders;
  }
  grant->request->heldBack = false;
  bool going = !PoolStopping(pool);
  if (going) {
    pool->heldEntries += kEntriesPerGrant;
    grant->left = kEntriesPerGrant;
    // Room left over is passed on to another reader held back.
    if (pool->heldEntries + kEntriesPerGrant <= kMaxHeldEntries && pool->idleReaders > 0) g_thread.wakeOne(pool->sync);
  }
  g_thread.unlock(pool->sync);
  return going;
}

// Collects one enumerated entry, unsorted. Stops the enumeration at a
// cancel, a stop of the pool, or when storage runs out.
bool CollectEntry(void* context, const FolderEntry& entry) {
  auto* collector = static_cast<Collector*>(context);
  // A read cut short says so itself: it is never taken for the whole folder.
  if (collector->abort->load(std::memory_order_relaxed) ||
      (collector->stop != nullptr && collector->stop->load(std::memory_order_relaxed))) {
    collector->out->whole = false;
    return false;
  }
  if (TextEqual(entry.name, u".") || TextEqual(entry.name, u"..")) return true;
  FolderContents* out = collector->out;
  if (collector->grant != nullptr && collector->grant->left == 0 && !TakeGrant(collector->grant)) {
    out->whole = false;
    return false;
  }
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
  if (collector->grant != nullptr) --collector->grant->left;
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

// Reads a folder (ReadFolderContents), its entries counted into the grant's
// pool as they arrive when there is a grant.
FolderContents ReadCounted(const char16_t* path, const FolderFilter& filter, const std::atomic<bool>* abort,
                           const std::atomic<bool>* stop, Grant* grant) {
  FolderContents out;
  Collector collector{&out, abort, stop, grant, filter.style, false, false};
  int64_t began = g_thread.microseconds();
  out.read = g_fileSystem.enumerateFolder(path, CollectEntry, &collector);
  int64_t took = g_thread.microseconds() - began;
  out.slow = took > kSlowReadMicroseconds + kSlowReadMicrosecondsPerEntry * out.count;
  out.error = out.read != FolderRead::Complete ? g_fileSystem.lastError() : 0;
  bool filtered = filter.exclusions != nullptr || filter.rules;
  if (filtered && !out.failed && !abort->load(std::memory_order_relaxed)) {
    FilterEntries(path, filter, collector.hasIgnoreFile, collector.hasGit, &out);
  }
  // Sorting after reading costs O(n log n); inserting each entry into a
  // sorted list would cost O(n^2) for entries that arrive out of order.
  if (!out.failed && !abort->load(std::memory_order_relaxed)) SortNodeList(&out.head, &out.tail);
  return out;
}

}  // namespace

FolderContents& FolderContents::Swap(FolderContents& other) noexcept {
  std::swap(head, other.head);
  std::swap(tail, other.tail);
  std::swap(arena, other.arena);
  std::swap(count, other.count);
  std::swap(read, other.read);
  std::swap(error, other.error);
  std::swap(failed, other.failed);
  std::swap(whole, other.whole);
  std::swap(slow, other.slow);
  std::swap(rules, other.rules);
  return *this;
}

ReadRequest::ReadRequest(Text path, const FolderFilter& filter) : path(std::move(path)), filter(filter) {}

namespace {

// A reader: reads the request on top of the stack while the held entries
// stay under their bound, until the pool stops or the job is cancelled.
void RunReader(void* parameter) {
  auto* pool = static_cast<ReaderPool*>(parameter);
  g_thread.lock(pool->sync);
  while (!PoolStopping(pool)) {
    if (pool->queued.empty() || pool->heldEntries + kEntriesPerGrant > kMaxHeldEntries) {
      ++pool->idleReaders;
      g_thread.waitSync(pool->sync, kWaitMilliseconds);
      --pool->idleReaders;
      continue;
    }
    Shared<ReadRequest> request = std::move(pool->queued.back());
    pool->queued.PopBack();
    request->state = RequestState::Reading;
    g_thread.unlock(pool->sync);
    Grant grant{pool, request.get(), 0};
    request->contents = ReadCounted(request->path.get(), request->filter, pool->abort, &pool->stop, &grant);
    if (request->contents.failed) {
      pool->failed.store(true);
      pool->stop.store(true);
    }
    g_thread.lock(pool->sync);
    request->state = RequestState::Read;
    pool->heldEntries -= grant.left;  // what is held is what was read
    // Only the listing waits for a read to end; waking the idle readers
    // too would cost a switch each for nothing.
    if (pool->awaited != nullptr) g_thread.wakeAll(pool->sync);
  }
  g_thread.unlock(pool->sync);
}

// Starts one more reader; false when the system refuses. There is room
// for every thread the pool may start.
bool AddReader(ReaderPool* pool) {
  ThreadHandle thread = g_thread.startThread(RunReader, pool);
  return thread != nullptr && pool->threads.Append(thread);
}

}  // namespace

FolderContents ReadFolderContents(const char16_t* path, const FolderFilter& filter, const std::atomic<bool>* abort,
                                  const std::atomic<bool>* stop) {
  return ReadCounted(path, filter, abort, stop, nullptr);
}

// The pool starts with one reader and gains one with each request beyond
// the readers it has, so a small tree starts few threads. When not even the
// first starts, there is no pool.
Owned<ReaderPool> StartReaderPool(int32_t readers, const std::atomic<bool>* abort, bool* failed) {
  Owned<ReaderPool> pool = MakeOwned<ReaderPool>(readers, abort);
  if (pool == nullptr || !pool->threads.Reserve(static_cast<size_t>(readers)) ||
      (pool->sync = g_thread.createSync()) == nullptr) {
    *failed = true;
    return nullptr;
  }
  if (!AddReader(pool.get())) return nullptr;
  return pool;
}

ReaderPool::~ReaderPool() {
  if (sync == nullptr) return;
  stop.store(true);
  g_thread.lock(sync);
  g_thread.wakeAll(sync);
  g_thread.unlock(sync);
  for (ThreadHandle thread : threads) {
    g_thread.waitThread(thread);
    g_thread.closeThread(thread);
  }
  g_thread.destroySync(sync);
}

int32_t ReadAheadRoom(const ReaderPool* pool) { return kMaxOutstanding - pool->outstanding; }

Shared<ReadRequest> SubmitRead(ReaderPool* pool, const char16_t* path, size_t length, const FolderFilter& filter,
                               bool* failed) {
  Text copy = Text::Copy(path, length);
  Shared<ReadRequest> request(copy ? MakeOwned<ReadRequest>(std::move(copy), filter) : nullptr);
  g_thread.lock(pool->sync);
  bool queued = request && pool->queued.Append(request);
  // One new request needs one reader; the listing, the only other waiter,
  // is the caller.
  if (queued && pool->idleReaders > 0) g_thread.wakeOne(pool->sync);
  g_thread.unlock(pool->sync);
  if (!queued) {
    *failed = true;
    return {};
  }
  ++pool->outstanding;
  // A reader refused by the system leaves the work to those there are.
  if (pool->threads.size() < static_cast<size_t>(pool->maxThreads) &&
      pool->threads.size() < static_cast<size_t>(pool->outstanding)) {
    AddReader(pool);
  }
  return request;
}

// A request still queued is read here rather than waited for: every reader
// may be busy with folders the listing needs only later.
FolderContents TakeRead(ReaderPool* pool, const Shared<ReadRequest>& request) {
  g_thread.lock(pool->sync);
  pool->awaited = request.get();
  // A reader held back by the bound in the middle of this folder goes on.
  if (request->heldBack) g_thread.wakeAll(pool->sync);
  while (request->state == RequestState::Reading && !pool->abort->load(std::memory_order_relaxed)) {
    g_thread.waitSync(pool->sync, kWaitMilliseconds);
  }
  pool->awaited = nullptr;
  RequestState state = request->state;
  if (state == RequestState::Queued) {
    // The listing takes its requests in order, so this one is on top.
    size_t at = pool->queued.size();
    while (pool->queued[--at].get() != request.get()) {}
    for (; at + 1 < pool->queued.size(); ++at) pool->queued[at] = std::move(pool->queued[at + 1]);
    pool->queued.PopBack();
  } else if (state == RequestState::Read) {
    pool->heldEntries -= request->contents.count;
    // A reader held back by the bound may go on: one for each folder
    // taken back, as the room is soon taken again.
    if (pool->heldEntries + kEntriesPerGrant <= kMaxHeldEntries && pool->idleReaders > 0) {
      g_thread.wakeOne(pool->sync);
    }
  }
  g_thread.unlock(pool->sync);
  if (state == RequestState::Reading) return {};
  --pool->outstanding;
  FolderContents out = state == RequestState::Queued
                           ? ReadFolderContents(request->path.get(), request->filter, pool->abort, &pool->stop)
                           : std::move(request->contents);
  if (pool->failed.load()) out.failed = true;
  return out;
}
