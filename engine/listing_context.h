#pragma once
// The per-job state of one listing, passed by pointer through the engine.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/exclusions.h"
#include "engine/git_ignore.h"
#include "engine/listing.h"

// The row of two-unit cells drawn in front of Tree lines. It grows as deep
// as the folders go; the storage is the job's and is released at its end.
struct TreeIndent {
  char16_t* text;    // length units and a terminator; null while empty
  int32_t length;    // always even
  int32_t capacity;  // units available in text, terminator included
};

// The line being made; grows to the longest line and is reused.
struct LineBuffer {
  char16_t* units;
  size_t capacity;
};

struct ReaderPool;

struct ListingContext {
  const ListingRequest* request;
  const std::atomic<bool>* abort;
  const ListingSink* sink;
  // Storage ran out: the listing unwinds and ends Failed.
  bool failed;
  // Where the part of a path shown by the Relative form starts: just after
  // a separator, or 0. Negative until the first readable item.
  int32_t commonPrefixLength;
  TreeIndent indent;
  LineBuffer line;
  // The folder readers, started at the first folder read ahead; null until
  // then, and for good when readersTried and none could be started.
  ReaderPool* readers;
  bool readersTried;
  // A folder read so far waited on its storage.
  bool slowReads;
  // The request's --exclude globs, made ready; null when it has none.
  Owned<Exclusions> exclusions;
  // --gitignore's state: the user's excludes file and the last tree's top.
  IgnoreSession ignore = {};
};

constexpr int32_t kCommonPrefixUnset = -1;

// A listing stops at a cancel and at the first failure.
inline bool ListingStopped(const ListingContext* context) {
  return context->failed || context->abort->load(std::memory_order_relaxed);
}

inline bool AdmitsFiles(const ListingContext* context) {
  return context->request->options.itemFilter != ItemFilter::FoldersOnly;
}

inline bool AdmitsFolders(const ListingContext* context) {
  return context->request->options.itemFilter != ItemFilter::FilesOnly;
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
