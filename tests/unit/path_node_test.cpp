// Sorted insertion, the folder sort that replaces it for scans, and freeing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "engine/collation.h"
#include "engine/path_node.h"
#include "platform/memory.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/test_support.h"

namespace {

class PathNodeTest : public EngineTest {
 protected:
  void TearDown() override {
    FreeNodeList(&head, &tail);
    EngineTest::TearDown();
  }
  void Insert(const std::u16string& name, uint8_t isFile = 1) {
    InsertSorted(name.c_str(), static_cast<int32_t>(name.size()), &head, &tail, isFile);
  }
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
};

TEST_F(PathNodeTest, InsertionKeepsCollationOrderAndBothSlots) {
  Insert(u"b10");
  EXPECT_EQ(head, tail);
  PathNode* oldTail = tail;
  Insert(u"b2");  // before the head: new head, tail unchanged
  EXPECT_EQ(tail, oldTail);
  EXPECT_EQ(std::u16string(head->text), u"b2");
  Insert(u"folder", 0);  // folders after files: new tail
  Insert(u"a");
  Insert(u"b3");
  EXPECT_EQ(ListTexts(head), (std::vector<std::u16string>{u"a", u"b2", u"b3", u"b10", u"folder"}));
  EXPECT_EQ(tail->next, nullptr);
  EXPECT_EQ(std::u16string(tail->text), u"folder");
  EXPECT_EQ(head->isTerminal, 0);
  EXPECT_EQ(head->child, nullptr);
}

TEST_F(PathNodeTest, TiesKeepTheRulesOfTheComparison) {
  // The same path twice: the later node stands in front of the earlier one.
  Insert(u"same");
  PathNode* first = head;
  Insert(u"same");
  EXPECT_NE(head, first);
  EXPECT_EQ(head->next, first);
  // Names that compare positive both ways keep their arrival order.
  FreeNodeList(&head, &tail);
  Insert(u"x1a");
  Insert(u"x\uFF11b");
  EXPECT_EQ(ListTexts(head), (std::vector<std::u16string>{u"x1a", u"x\uFF11b"}));
  FreeNodeList(&head, &tail);
  Insert(u"x\uFF11b");
  Insert(u"x1a");
  EXPECT_EQ(ListTexts(head), (std::vector<std::u16string>{u"x\uFF11b", u"x1a"}));
}

TEST_F(PathNodeTest, LengthZeroCountsTheUnits) {
  InsertSorted(u"", 0, &head, &tail, 1);
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->length, 0);
  EXPECT_EQ(head->text[0], 0);
  InsertSorted(u"abc", 0, &head, &tail, 1);
  EXPECT_EQ(tail->length, 3);
}

TEST_F(PathNodeTest, AllocationFailureLeavesTheListExactlyAsBefore) {
  Insert(u"a");
  Insert(u"c");
  for (uint64_t k : {1u, 2u}) {  // the node, then its text
    g_job.abortFlag = false;
    g_job.failureFlag = false;
    int64_t live = GetAllocationStats().liveBlocks;
    PathNode* oldHead = head;
    PathNode* oldTail = tail;
    ArmAllocationFailure(k);
    Insert(u"b");
    ArmAllocationFailure(0);
    EXPECT_EQ(head, oldHead);
    EXPECT_EQ(tail, oldTail);
    EXPECT_EQ(ListTexts(head), (std::vector<std::u16string>{u"a", u"c"}));
    EXPECT_TRUE(Aborted());
    EXPECT_TRUE(Failed());
    EXPECT_EQ(GetAllocationStats().liveBlocks, live);
  }
  g_job.abortFlag = false;
  g_job.failureFlag = false;
}

TEST_F(PathNodeTest, FreeingClearsTheSlotsAndEveryLevel) {
  FreeNodeList(&head, &tail);
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(tail, nullptr);
  // A path tree three levels deep, freed through its head slot alone.
  Insert(u"root", 0);
  PathNode* levelTail = nullptr;
  AppendNode(u"mid", 0, &head->child, &levelTail, 0);
  PathNode* deepTail = nullptr;
  AppendNode(u"leaf", 0, &head->child->child, &deepTail, 1);
  AppendNode(u"leaf2", 0, &head->child->child, &deepTail, 1);
  PathNode* sentinel = tail;
  FreeNodeList(&head, nullptr);
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(tail, sentinel);  // without a tail slot only the head is cleared
  tail = nullptr;             // the fixture's leak check covers every level
}

// Names as they appear in real folders: Latin with digits, Japanese of every
// script, full-width forms, punctuation.
std::u16string RandomName(std::mt19937& random) {
  static const std::u16string pieces[] = {
      u"file", u"File", u"report", u"a", u"B", u"_", u"-", u" ", u".", u"(", u")",
      u"1", u"2", u"10", u"007", u"\uFF11", u"\uFF12", u"\uFF21", u"\uFF41",
      u"\u3042", u"\u304B", u"\u304C", u"\u3071", u"\u30AB", u"\u30AC", u"\u30D1", u"\u30FC",
      u"\uFF76", u"\uFF9E", u"\u6F22", u"\u5B57", u"\u00E9", u"\u30F4", u"\u3063"};
  std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> count(1, 5);
  std::u16string name;
  for (int i = count(random); i > 0; --i) name += pieces[piece(random)];
  return name + (random() % 2 ? u".txt" : u"");
}

// True when the names have one consistent order, here the list's own: every
// earlier name compares before every later one. The comparison is not
// transitive for every set of names (か2 > ガ.txt > が > か2: a first
// difference and a later deciding pair can disagree), and some pairs
// compare positive both ways; then the order depends on arrival.
bool OrderedConsistently(const PathNode* list) {
  for (const PathNode* a = list; a != nullptr; a = a->next) {
    for (const PathNode* b = a->next; b != nullptr; b = b->next) {
      if (CompareNames(a->text, a->isFile, b->text, b->isFile) != -1) return false;
      if (CompareNames(b->text, b->isFile, a->text, a->isFile) != 1) return false;
    }
  }
  return true;
}

// Sorting a folder after reading it must give the order that inserting its
// entries one by one gives, for folders that arrive in any order.
TEST_F(PathNodeTest, FolderSortMatchesInsertionOnRandomFolders) {
  std::mt19937 random(20261206);
  int compared = 0;
  for (int folder = 0; folder < 1000; ++folder) {
    std::vector<std::pair<std::u16string, uint8_t>> entries;
    int size = static_cast<int>(random() % 40);
    for (int i = 0; i < size; ++i) {
      std::u16string name = RandomName(random);
      bool duplicate = std::any_of(entries.begin(), entries.end(),
                                   [&](const auto& entry) { return entry.first == name; });
      if (!duplicate) entries.emplace_back(name, static_cast<uint8_t>(random() % 3 != 0));
    }
    PathNode* sortedHead = nullptr;
    PathNode* sortedTail = nullptr;
    for (const auto& [name, isFile] : entries) {
      InsertSorted(name.c_str(), 0, &head, &tail, isFile);
      AppendNode(name.c_str(), 0, &sortedHead, &sortedTail, isFile);
    }
    if (!OrderedConsistently(head)) {
      FreeNodeList(&sortedHead, &sortedTail);
      FreeNodeList(&head, &tail);
      continue;
    }
    ++compared;
    SortNodeList(&sortedHead, &sortedTail);
    EXPECT_EQ(ListTexts(sortedHead), ListTexts(head)) << "folder " << folder;
    PathNode* last = sortedHead;
    while (last != nullptr && last->next != nullptr) last = last->next;
    EXPECT_EQ(sortedTail, last);
    FreeNodeList(&sortedHead, &sortedTail);
    FreeNodeList(&head, &tail);
  }
  EXPECT_GT(compared, 300) << "too few folders with one consistent order";
  std::printf("%d folders compared\n", compared);
}

}  // namespace
