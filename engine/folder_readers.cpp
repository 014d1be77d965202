#include "engine/folder_readers.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/exclusions.h"
#include "engine/git_repository.h"
#include "engine/text.h"

// A pool reader's share of the held entries while it reads a request.
struct Grant {
  ReaderPool* pool;
  ReadRequest* request;
  int64_t left;  // entries counted into the pool's held entries and not yet read
};

namespace {

// Requests queued or read and not taken, at most: the listing reads any
// further folders itself.
constexpr int32_t kMaxOutstanding = 4096;
// Levels a reader queues below a folder the listing queued from. Each level
// holds the next: this bounds the chain that ends when a request is let go.
constexpr int32_t kMaxAheadLevels = 64;
// Entries the readers hold and the listing has not taken, at most: at it a
// reader stops, even mid-folder, unless the listing waits for that folder.
constexpr int64_t kMaxHeldEntries = int64_t{1} << 16;
// Entries counted in at a time, so that a reader locks once per so many.
constexpr int64_t kEntriesPerGrant = 64;
// How long a waiting thread sleeps before it looks at the cancel again.
constexpr int32_t kWaitMilliseconds = 10;
// A folder read that takes longer waits on its storage: a network read costs
// round trips however few the entries, a folder in the cache microseconds
// per entry (a few under Wine, which looks up every entry).
constexpr int64_t kSlowReadMicroseconds = 500;
constexpr int64_t kSlowReadMicrosecondsPerEntry = 20;

struct Collector {
  FolderContents* out;
  const std::atomic<bool>* abort;
  const std::atomic<bool>* stop;
  Grant* grant;  // null: the listing's own read, not counted
};

bool PoolStopping(const ReaderPool* pool) {
  return pool->stop.load(std::memory_order_relaxed) || pool->abort->load(std::memory_order_relaxed);
}

// Counts more entries in for the reader, waiting while that would pass the
// bound, except for the folder the listing waits for: it takes nothing else
// until it has that one. False when the pool stops or the job is cancelled.
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
  FolderContents* out = collector->out;
  bool cut = collector->abort->load(std::memory_order_relaxed) ||
             (collector->stop != nullptr && collector->stop->load(std::memory_order_relaxed));
  if (!cut && (TextEqual(entry.name, u".") || TextEqual(entry.name, u".."))) return true;
  // A read cut short says so itself: it is never taken for the whole folder.
  if (cut || (collector->grant != nullptr && collector->grant->left == 0 && !TakeGrant(collector->grant))) {
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
  out->folders += OpensAsFolder(node) ? 1 : 0;
  if (collector->grant != nullptr) --collector->grant->left;
  return true;
}

// Leaves out what the filter excludes. Inside a working tree the folder's
// own rules are loaded first (its .gitignore over its parent's), .git is
// never listed, and a folder holding .git below the tree's root is another
// repository, which git does not look into: nothing of it is listed.
void FilterEntries(const char16_t* path, const FolderFilter& filter, FolderContents* out) {
  IgnorePath below;
  if (filter.rules) {
    size_t longest = 0;
    bool hasGit = false, hasIgnoreFile = false;  // a .git, file or folder; a .gitignore that is no folder
    for (PathNode* node = out->head; node != nullptr; node = node->next) {
      auto length = static_cast<size_t>(node->length);
      longest = std::max(longest, length);
      hasGit = hasGit || IsGitName(node->text, length, filter.style);
      hasIgnoreFile = hasIgnoreFile || (node->isFile != 0 && IsIgnoreFileName(node->text, length, filter.style));
    }
    if (!StartIgnorePath(&below, *filter.rules, path, TextLength(path), longest, filter.style)) {
      out->failed = true;
      return;
    }
    if (hasGit && below.folderLength > 0) {
      out->head = out->tail = nullptr;
      out->folders = 0;
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
    bool isFolder = OpensAsFolder(node);  // to git a link is no folder either
    bool left = ExcludesName(filter.exclusions, node->text, length) ||
                (out->rules && (IsGitName(node->text, length, filter.style) ||
                                IsIgnored(*out->rules, &below, node->text, length, isFolder)));
    if (left) {
      (previous != nullptr ? previous->next : out->head) = next;
      if (out->tail == node) out->tail = previous;
      out->folders -= isFolder ? 1 : 0;
    } else {
      previous = node;
    }
    node = next;
  }
}

// The queue is a heap on the requests' keys: the least key, the folder the
// listing needs first, is read first. Under the lock.
bool After(const Shared<ReadRequest>& a, const Shared<ReadRequest>& b) { return a->place.key > b->place.key; }

Shared<ReadRequest> PopQueued(ReaderPool* pool) {
  std::pop_heap(pool->queued.begin(), pool->queued.end(), After);
  Shared<ReadRequest> top = std::move(pool->queued.back());
  pool->queued.PopBack();
  return top;
}

// A reader: reads the first request of the queue while the held entries
// stay under their bound, and queues its subfolders in turn, until the
// pool stops or the job is cancelled.
void RunReader(void* parameter) {
  auto* pool = static_cast<ReaderPool*>(parameter);
  g_thread.lock(pool->sync);
  while (!PoolStopping(pool)) {
    // What the listing took while it was queued is dropped here.
    while (!pool->queued.empty() && pool->queued[0]->state == RequestState::Taken) {
      PopQueued(pool);
      --pool->outstanding;
    }
    if (pool->queued.empty() || pool->heldEntries + kEntriesPerGrant > kMaxHeldEntries) {
      ++pool->idleReaders;
      g_thread.waitSync(pool->sync, kWaitMilliseconds);
      --pool->idleReaders;
      continue;
    }
    Shared<ReadRequest> request = PopQueued(pool);
    request->state = RequestState::Reading;
    g_thread.unlock(pool->sync);
    Grant grant{pool, request.get(), 0};
    FolderContents& contents = request->contents;
    contents = ReadFolderContents(request->path.get(), request->filter, pool->abort, &pool->stop, &grant);
    if (!contents.failed && contents.whole && request->aheadLevel < kMaxAheadLevels && !PoolStopping(pool)) {
      ReadSubfoldersAhead(pool, request->path.get(), request->path.length(), request->depth, request->place,
                          request->filter, &contents, request->aheadLevel);
    }
    if (contents.failed) pool->stop.store(true);
    g_thread.lock(pool->sync);
    request->state = RequestState::Read;
    pool->heldEntries -= grant.left;  // what is held is what was read
    // Only the listing waits for a read to end: idle readers sleep on.
    if (pool->awaited != nullptr) g_thread.wakeAll(pool->sync);
  }
  g_thread.unlock(pool->sync);
}

// Starts one more reader, under the lock, while there are fewer readers
// than requests; false when not. The threads' room is reserved.
bool AddReader(ReaderPool* pool) {
  if (PoolStopping(pool) || pool->threads.size() >= static_cast<size_t>(pool->maxThreads) ||
      pool->threads.size() >= static_cast<size_t>(pool->outstanding)) {
    return false;
  }
  ThreadHandle thread = g_thread.startThread(RunReader, pool);
  return thread != nullptr && pool->threads.Append(thread);
}

}  // namespace

// A read that takes long for its entries waits on its storage (a network):
// reading ahead pays.
FolderContents ReadFolderContents(const char16_t* path, const FolderFilter& filter, const std::atomic<bool>* abort,
                                  const std::atomic<bool>* stop, Grant* grant) {
  FolderContents out;
  Collector collector{&out, abort, stop, grant};
  int64_t began = g_thread.microseconds();
  out.read = g_fileSystem.enumerateFolder(path, CollectEntry, &collector);
  int64_t took = g_thread.microseconds() - began;
  out.slow = took > kSlowReadMicroseconds + kSlowReadMicrosecondsPerEntry * out.count;
  out.error = out.read != FolderRead::Complete ? g_fileSystem.lastError() : 0;
  bool filtered = filter.exclusions != nullptr || filter.rules;
  if (filtered && !out.failed && !abort->load(std::memory_order_relaxed)) {
    FilterEntries(path, filter, &out);
  }
  // Sorting after reading costs O(n log n); inserting each entry into a
  // sorted list would cost O(n^2) for entries that arrive out of order.
  if (!out.failed && !abort->load(std::memory_order_relaxed)) SortNodeList(&out.head, &out.tail);
  return out;
}

// The requests are made outside the lock.
void ReadSubfoldersAhead(ReaderPool* pool, const char16_t* path, size_t length, int32_t depth, ListingPlace place,
                         const FolderFilter& filter, FolderContents* contents, int32_t aheadLevel) {
  Array<Subfolder>& ahead = contents->ahead;
  PathNode* first = contents->NextNotAhead();
  if (first == nullptr || !ScansAt(pool->maxDepth, depth + 1)) return;
  g_thread.lock(pool->sync);
  int32_t room = kMaxOutstanding - pool->outstanding;
  g_thread.unlock(pool->sync);
  if (room <= 0) return;
  size_t already = ahead.size();
  Array<char16_t> childPath;
  if (!childPath.AppendUnits(path, length) || !EndWithSeparator(&childPath, SeparatorOf(filter.style))) {
    contents->failed = true;
  }
  size_t prefixLength = childPath.size();
  FolderFilter childFilter{filter.exclusions, contents->rules, filter.style};
  for (PathNode* entry = first; entry && room > 0 && !contents->failed; entry = NextSubfolder(entry->next)) {
    childPath.Truncate(prefixLength);
    Text text;
    Shared<ReadRequest> request;
    if (childPath.AppendUnits(entry->text, static_cast<size_t>(entry->length)) &&
        (text = Text::Copy(childPath.data(), childPath.size()))) {
      request = Shared<ReadRequest>(MakeOwned<ReadRequest>(std::move(text), childFilter, depth + 1, aheadLevel + 1,
                                                           place.Child(ahead.size(), contents->folders)));
    }
    if (!request || !ahead.Append(Subfolder{entry, std::move(request)})) contents->failed = true;
    --room;
  }
  g_thread.lock(pool->sync);
  // Others may have queued meanwhile: what has no room the listing reads.
  size_t taken = already + static_cast<size_t>(std::max(0, kMaxOutstanding - pool->outstanding));
  if (taken < ahead.size()) ahead.Truncate(taken);
  for (size_t i = already; i < ahead.size() && !contents->failed; ++i) {
    contents->failed = !pool->queued.Append(ahead[i].request);
    if (!contents->failed) std::push_heap(pool->queued.begin(), pool->queued.end(), After);
    pool->outstanding += contents->failed ? 0 : 1;
  }
  while (AddReader(pool)) {}
  if (pool->idleReaders > 0 && ahead.size() > already) g_thread.wakeAll(pool->sync);
  g_thread.unlock(pool->sync);
  // A request that is not queued is never taken: a failed job takes none.
  if (contents->failed) ahead.Truncate(already);
}

// The pool starts with one reader and gains one with each request beyond
// the readers it has, so a small tree starts few threads.
Owned<ReaderPool> StartReaderPool(int32_t readers, int32_t maxDepth, const std::atomic<bool>* abort, bool* failed) {
  Owned<ReaderPool> pool = MakeOwned<ReaderPool>(readers, maxDepth, abort);
  if (pool == nullptr || !pool->threads.Reserve(static_cast<size_t>(readers)) ||
      (pool->sync = g_thread.createSync()) == nullptr) {
    *failed = true;
    return nullptr;
  }
  ThreadHandle first = g_thread.startThread(RunReader, pool.get());
  if (first == nullptr || !pool->threads.Append(first)) return nullptr;
  return pool;
}

// Stops the readers under the lock, so that none starts another, and joins them.
ReaderPool::~ReaderPool() {
  if (sync == nullptr) return;
  g_thread.lock(sync);
  stop.store(true);
  g_thread.wakeAll(sync);
  g_thread.unlock(sync);
  for (ThreadHandle thread : threads) {
    g_thread.waitThread(thread);
    g_thread.closeThread(thread);
  }
  g_thread.destroySync(sync);
}

// A request still queued is read here, not waited for: the readers may be
// busy with folders needed later. A reader drops it from the queue (counted
// until then), so taking it costs no search.
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
    request->state = RequestState::Taken;
  } else if (state == RequestState::Read) {
    --pool->outstanding;
    pool->heldEntries -= request->contents.count;
    // One reader held back by the bound may go on: the room is soon taken.
    if (pool->heldEntries + kEntriesPerGrant <= kMaxHeldEntries && pool->idleReaders > 0) {
      g_thread.wakeOne(pool->sync);
    }
  }
  g_thread.unlock(pool->sync);
  if (state == RequestState::Reading) return {};
  FolderContents out = state == RequestState::Queued
                           ? ReadFolderContents(request->path.get(), request->filter, pool->abort, &pool->stop)
                           : std::move(request->contents);
  if (pool->stop.load()) out.failed = true;  // only a reader's failure stops a pool in use
  return out;
}
