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
  // Storage ran out: the listing unwinds and ends Failed.
  bool failed = false;
  // Where the part of a path shown by the Relative form starts: just after
  // a separator, or 0. Negative until the first readable item.
  int32_t commonPrefixLength = 0;
  // The row of two-unit cells drawn in front of Tree lines; it grows as
  // deep as the folders go.
  Array<char16_t> indent;
  // The line being made; grows to the longest line and is reused.
  Array<char16_t> line;
  // The request's --exclude globs, made ready; null when it has none.
  Owned<Exclusions> exclusions;
  // --gitignore's state: the user's excludes file and the last tree's top.
  IgnoreSession ignore = {};
  // The folder readers, started at the first folder read ahead; empty until
  // then, and for good when readersTried and none could be started. Last,
  // so it ends first: the requests the readers hold hold rules of the
  // session.
  Owned<ReaderPool> readers;
  bool readersTried = false;
  // A folder read so far waited on its storage.
  bool slowReads = false;
};

constexpr int32_t kCommonPrefixUnset = -1;

// A listing stops at a cancel and at the first failure.
inline bool ListingStopped(const ListingContext* context) {
  return context->failed || context->abort->load(std::memory_order_relaxed);
}

// The separator between the components of the listing's paths.
inline char16_t PathSeparator(const ListingContext* context) {
  return SeparatorOf(context->request->options.pathStyle);
}

inline PathStyle StyleOf(const ListingContext* context) { return context->request->options.pathStyle; }

// Tells the sink of a problem, if it listens.
inline void ReportProblem(const ListingContext* context, ListingProblemKind kind, const char16_t* path, int32_t error) {
  if (context->sink->reportProblem != nullptr) context->sink->reportProblem(context->sink->context, ListingProblem{kind, path, error});
}

// Counts a folder taken by the listing and its entries, for a sink that
// shows progress.
inline void CountFolderRead(const ListingContext* context, int64_t entries) {
  ListingProgress* progress = context->sink->progress;
  if (progress == nullptr) return;
  progress->folders.fetch_add(1, std::memory_order_relaxed);
  progress->entries.fetch_add(static_cast<uint64_t>(entries), std::memory_order_relaxed);
}
