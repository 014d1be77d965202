#pragma once
// The per-job state of one listing, passed by pointer through the engine.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/exclusions.h"
#include "engine/folder_readers.h"
#include "engine/git_ignore.h"
#include "engine/listing.h"
#include "platform/array.h"
#include "platform/owned.h"

struct ListingContext {
  const ListingRequest* request;
  const std::atomic<bool>* abort;
  const ListingSink* sink;
  bool failed = false;  // storage ran out: the listing unwinds and ends Failed
  // Where the part of a path the Relative form shows starts: just after a
  // separator, or 0. Negative until the first readable item.
  int32_t commonPrefixLength = 0;
  Array<char16_t> indent;         // the Tree lines' two-unit cells, as deep as the folders go
  Array<char16_t> line;           // the line being made, reused
  Owned<Exclusions> exclusions;   // the --exclude globs made ready; null: none
  IgnoreSession ignore = {};      // --gitignore's: the user's excludes file and the last tree's top
  // The folder readers, started at the first folder read ahead. Last, so it
  // ends first: the requests the readers hold hold rules of the session.
  Owned<ReaderPool> readers;
  bool readersTried = false;
  bool slowReads = false;  // a folder read so far waited on its storage
};

constexpr int32_t kCommonPrefixUnset = -1;

inline bool ListingStopped(const ListingContext* context) {
  return context->failed || context->abort->load(std::memory_order_relaxed);
}

inline char16_t PathSeparator(const ListingContext* context) {
  return SeparatorOf(context->request->options.pathStyle);
}

inline PathStyle StyleOf(const ListingContext* context) { return context->request->options.pathStyle; }

// Tells the sink of a problem, if it listens.
inline void ReportProblem(const ListingContext* context, ListingProblemKind kind, const char16_t* path, int32_t error) {
  if (context->sink->reportProblem != nullptr) context->sink->reportProblem(context->sink->context, ListingProblem{kind, path, error});
}

// Counts a folder taken and its entries, for a sink that shows progress.
inline void CountFolderRead(const ListingContext* context, int64_t entries) {
  ListingProgress* progress = context->sink->progress;
  if (progress == nullptr) return;
  progress->folders.fetch_add(1, std::memory_order_relaxed);
  progress->entries.fetch_add(static_cast<uint64_t>(entries), std::memory_order_relaxed);
}
