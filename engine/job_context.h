#pragma once
// JobContext: the per-job state shared by the listing engine and the worker.

#include <atomic>
#include <cstdint>

#include "platform/job_input.h"

// The row of two-unit cells drawn in front of Tree lines. It grows as deep
// as the folders go; the storage is the job's and is released at its end.
struct TreeIndent {
  char16_t* text;    // length units and a terminator; null while empty
  int32_t length;    // always even
  int32_t capacity;  // units available in text, terminator included
};

// commonPrefixLength before the first readable item: no real prefix is
// negative.
constexpr int32_t kCommonPrefixUnset = -1;

struct JobContext {
  char16_t* filePrefix;
  char16_t* fileSuffix;
  char16_t* folderPrefix;
  char16_t* folderSuffix;
  int32_t filePrefixLength;
  int32_t fileSuffixLength;
  int32_t folderPrefixLength;
  int32_t folderSuffixLength;
  int32_t commonPrefixLength;
  // 64-bit so that a huge listing cannot wrap the clipboard size.
  int64_t totalChars;
  int64_t lineCount;
  TreeIndent treeIndent;
  std::atomic<bool> abortFlag;
  std::atomic<bool> failureFlag;
  bool commandLineMode;
  DropHandle pendingDrop;
};

extern JobContext g_job;

// Every failure of a job: both flags, failure first so that a reader that
// sees the abort flag also sees why.
void FailJob();
inline bool JobAborted() { return g_job.abortFlag.load(std::memory_order_relaxed); }
