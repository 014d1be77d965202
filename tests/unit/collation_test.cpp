#include "tests/support/test_support.h"

namespace {

// Each pair in order: CompareNames(first, second) is -1 and the reverse +1.
const char16_t* const kOrdered[][2] = {
    {u"", u"a"}, {u"", u"0"}, {u"file2", u"file10"}, {u"12a", u"123"}, {u"a.txt", u"a1.txt"}, {u"19", u"100"},
    {u"x19y", u"x100a"}, {u"a007", u"a08"}, {u"v2zzz", u"v10aaa"}, {u"a1", u"a01"}, {u"a7z", u"a007a"}, {u"0", u"00"},
    {u"x9", u"x１０"}, {u"file9", u"ｆｉｌｅ１０"}, {u"a1２3", u"a124"}, {u"file１０", u"file２"}, {u"１０", u"９"},
    {u"a１b", u"a２a"}, {u"p9007199254740993", u"p9007199254740994"}, {u"999999999999998", u"999999999999999"},
    {u"633629447678323549", u"633629447678323556"}, {u"ABC", u"abc"}, {u"ABCD", u"abc"}, {u"abc", u"abcd"},
    {u"B", u"ｂ"}, {u"b", u"Ｂ"}, {u"Ａｂ", u"aC"}, {u"Ab", u"aB"}, {u"かキ", u"カき"}, {u"ab", u"AC"},
    {u"ＺＺ", u"ｚ"}, {u"ｚa", u"Ｚb"}, {u"za", u"_a"}, {u"Zz", u"[a"}, {u"z", u"\\"}, {u"z", u"`"}, {u"かき", u"カキ"},
    {u"かa", u"がa"}, {u"ば", u"ぱ"}, {u"ウ", u"ヴ"}, {u"がa", u"かb"}, {u"ぱa", u"ハb"}, {u"ヴa", u"うb"},
    {u"ｶｷ", u"カキ"}, {u"ｶb", u"ｶﾞa"}, {u"ぁz", u"アa"}, {u"ｱ", u"あ"}, {u"~", u"ｱ"}, {u"カー", u"カア"}, {u"キー", u"キィ"},
    {u"キー", u"キイ"}, {u"カァA", u"カーB"}, {u"すーA", u"スゥB"}, {u"ンーA", u"ンァB"}, {u"ヴーA", u"ブゥB"},
    {u"aー", u"aァ"}, {u"aー", u"aア"}, {u"ｷｰ", u"キー"}, {u"ｷｰ", u"ｷィ"}, {u"キ～A", u"キィB"}, {u"ーb", u"ァa"},
    {u"x\\ーb", u"x\\ァa"}, {u"～b", u"ァa"}, {u"ー", u"～"}, {u"x\\ー", u"x\\～"}, {u"x12", u"x123"}, {u"07", u"007"},
    {u"a/", u"a\\"}, {u"ｰ", u"ー"}, {u"a\\", u"a\\ー"}, {u"資料2", u"資料10"},
    {u"ケーa", u"ケェb"}, {u"ケェa", u"ケーb"}, {u"そーa", u"ソォb"}, {u"ソォa", u"そーb"}, {u"ネーa", u"ねぇb"},
    {u"ｶﾞa", u"カ゛b"}, {u"カ゛a", u"ｶﾞb"}, {u"ｦｧｰa", u"ヲァァb"}, {u"ヲァァa", u"ｦｧｰb"}, {u"ヅa", u"つb"}, {u"ぽa", u"ボb"},
    {u"?", u"\xDC80"}, {u"\uAC00", u"\xDC80"}, {u"\xDC80z", u"\xDC81" u"a"}, {u"\xDCFF", u"@"}, {u"\U0001F600", u"\xDE00"},  // lone
    {u"\xD83Dz", u"\xDC80" u"a"}, {u"0", u"\xDCFF"},  // surrogates: after '?', before '@', by unit (escaped bytes)
};

// Pairs the rules cannot tell apart: +1 both ways.
const char16_t* const kUndecided[][2] = {
    {u"x1a", u"x１b"}, {u"n１２z", u"n12a"}, {u"p9007199254740992", u"p9007199254740993"},
    {u"41054111521258667", u"41054111521258669"}, {u"x12", u"x１２"},
};

// Worked examples of the name order: the tables (ordered as files one way, as folders the other), files before
// folders, and digit runs beyond the double range.
TEST(Collation, WorkedExamples) {
  auto bothWays = [](const char16_t* a, const char16_t* b, uint8_t aFiles, uint8_t bFiles) {  // a-b, then b-a
    return std::pair(CompareNames(a, aFiles, b, aFiles), CompareNames(b, bFiles, a, bFiles));
  };
  for (auto& [a, b] : kOrdered) EXPECT_EQ(bothWays(a, b, 1, 0), std::pair(-1, 1)) << Utf8(a) << " < " << Utf8(b);
  for (auto& [a, b] : kUndecided) EXPECT_EQ(bothWays(a, b, 1, 1), std::pair(1, 1)) << Utf8(a) << " ? " << Utf8(b);
  EXPECT_EQ(CompareNames(u"b", 1, u"a", 0), -1);  // files before folders
  EXPECT_EQ(CompareNames(u"same", 0, u"same", 1), 1);
  EXPECT_EQ(CompareNames(u"same", 0, u"same", 0), 0);
  std::u16string nines = u"a" + std::u16string(400, u'9');  // beyond the double range: equal values
  EXPECT_EQ(CompareNames(nines.c_str(), 1, (nines + u"9").c_str(), 1), -1);
  EXPECT_EQ(CompareNames((nines + u"0").c_str(), 1, (nines + u"1").c_str(), 1), 1);
}

}  // namespace
