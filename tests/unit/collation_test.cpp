#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/collation.h"
#include "engine/path_node.h"
#include "platform/ansi_code.h"
#include "tests/support/test_support.h"

namespace {

constexpr uint8_t kFile = 1;
constexpr uint8_t kFolder = 0;

// Expects `before` to be placed before `after` in one list, asked both ways.
void ExpectOrder(const std::u16string& before, const std::u16string& after, uint8_t kind = kFile) {
  SCOPED_TRACE(Utf8(before) + " < " + Utf8(after));
  EXPECT_EQ(CompareNames(before.c_str(), kind, after.c_str(), kind), -1);
  EXPECT_EQ(CompareNames(after.c_str(), kind, before.c_str(), kind), 1);
}

// Expects the pair to be one the rules cannot tell apart: positive both ways.
void ExpectPositiveBothWays(const std::u16string& a, const std::u16string& b) {
  SCOPED_TRACE(Utf8(a) + " ~ " + Utf8(b));
  EXPECT_EQ(CompareNames(a.c_str(), kFile, b.c_str(), kFile), 1);
  EXPECT_EQ(CompareNames(b.c_str(), kFile, a.c_str(), kFile), 1);
}

// A name copied into a heap block of exactly its size, terminator included,
// so that AddressSanitizer reports any read before or after it.
std::unique_ptr<char16_t[]> ExactCopy(const std::u16string& name) {
  std::unique_ptr<char16_t[]> copy(new char16_t[name.size() + 1]);
  std::copy(name.begin(), name.end(), copy.get());
  copy[name.size()] = 0;
  return copy;
}

const KatakanaEntry& Katakana(char16_t ch) { return kKatakanaTable[ch - 0x30A1]; }
char16_t Halfwidth(char16_t ch) { return kHalfwidthKanaTable[ch - 0xFF61]; }

}  // namespace

TEST(CompareNames, FilesComeBeforeFolders) {
  EXPECT_EQ(CompareNames(u"b", kFile, u"a", kFolder), -1);
  EXPECT_EQ(CompareNames(u"a", kFolder, u"b", kFile), 1);
  EXPECT_EQ(CompareNames(u"same", kFolder, u"same", kFile), 1);
  EXPECT_EQ(CompareNames(u"same", kFile, u"same", kFolder), -1);
}

TEST(CompareNames, IdenticalNamesOfOneKindAreEqualAndTheEmptyNameComesFirst) {
  EXPECT_EQ(CompareNames(u"abc", kFile, u"abc", kFile), 0);
  EXPECT_EQ(CompareNames(u"abc", kFolder, u"abc", kFolder), 0);
  EXPECT_EQ(CompareNames(u"", kFile, u"", kFile), 0);
  ExpectOrder(u"", u"a");
  ExpectOrder(u"", u"0");
  ExpectOrder(u"", u"ー", kFolder);
}

TEST(CompareNames, DigitRunsCompareByValue) {
  ExpectOrder(u"file2", u"file10");
  ExpectOrder(u"12a", u"123");
  ExpectOrder(u"a.txt", u"a1.txt");
  // The run starts where both names' digits start, not at the first
  // difference: 19 against 100, not 9 against 00.
  ExpectOrder(u"19", u"100");
  ExpectOrder(u"x19y", u"x100a");
  ExpectOrder(u"a007", u"a08");
  // Only the runs decide; what follows them is never looked at.
  ExpectOrder(u"v2zzz", u"v10aaa");
}

TEST(CompareNames, EqualValuesPutTheShorterRunFirst) {
  ExpectOrder(u"a1", u"a01");
  ExpectOrder(u"a7z", u"a007a");
  ExpectOrder(u"0", u"00");
}

TEST(CompareNames, FullwidthDigitsJoinARunThatAnAsciiDigitStarts) {
  ExpectOrder(u"x9", u"x１０");
  ExpectOrder(u"file9", u"ｆｉｌｅ１０");
  // Mixed widths inside one run: 123 against 124.
  ExpectOrder(u"a1２3", u"a124");
  // Equal values and run lengths: the rules cannot tell them apart, and the
  // letters behind the runs are never compared.
  ExpectPositiveBothWays(u"x1a", u"x１b");
  ExpectPositiveBothWays(u"n１２z", u"n12a");
}

TEST(CompareNames, FullwidthDigitsAloneCompareAsCharacters) {
  // No ASCII digit at the first differing position: 1 against 2 as
  // characters, whatever the values.
  ExpectOrder(u"file１０", u"file２");
  ExpectOrder(u"１０", u"９");
  // Equal after folding: the first difference decides by ANSI code.
  ExpectOrder(u"a１b", u"a２a");
}

TEST(CompareNames, DigitRunValuesAreRoundedDoublesAfterEveryStep) {
  // Above 2^53 neighbouring values fall onto the same double.
  ExpectPositiveBothWays(u"p9007199254740992", u"p9007199254740993");
  ExpectPositiveBothWays(u"p9007199254740995", u"p9007199254740996");
  ExpectOrder(u"p9007199254740993", u"p9007199254740994");
  ExpectOrder(u"p900719925474099", u"p900719925474100");
  // Fifteen digits are exact.
  ExpectOrder(u"999999999999998", u"999999999999999");
  // Rounding after every multiply and add is not the correctly rounded
  // value of the digit string: these two round to one double step by step
  // (but not as a whole) ...
  ExpectPositiveBothWays(u"41054111521258667", u"41054111521258669");
  // ... and these two to different doubles step by step (but to the same
  // double as a whole).
  ExpectOrder(u"633629447678323549", u"633629447678323556");
}

TEST(CompareNames, DigitRunsBeyondTheDoubleRangeStillGiveAnAnswer) {
  std::u16string nines(400, u'9');
  std::u16string longer = nines + u"9";
  // Both values leave the double range and count as equal: the shorter run
  // first, runs of one length cannot be told apart.
  ExpectOrder(u"a" + nines, u"a" + longer);
  ExpectPositiveBothWays(u"a" + nines + u"0", u"a" + nines + u"1");
  // Up to 308 digits the values stay finite and still decide.
  std::u16string zeros(307, u'0');
  ExpectOrder(u"a1" + zeros, u"a2" + zeros);
  ExpectOrder(u"a2" + zeros, u"a1" + zeros + u"0");
  EXPECT_EQ(CompareNames((u"a" + nines).c_str(), kFile, (u"a" + nines).c_str(), kFile), 0);
}

TEST(CompareNames, CaseAndWidthFoldWithTheFirstDifferenceAsTieBreak) {
  ExpectOrder(u"ABC", u"abc");
  // The first difference outranks the length.
  ExpectOrder(u"ABCD", u"abc");
  ExpectOrder(u"abc", u"abcd");
  ExpectOrder(u"B", u"ｂ");
  ExpectOrder(u"b", u"Ｂ");
  ExpectOrder(u"Ａｂ", u"aC");
  // Only the first differing pair counts, not a later one.
  ExpectOrder(u"Ab", u"aB");
  ExpectOrder(u"かキ", u"カき");
  ExpectOrder(u"ABcd", u"abCD");
  // Folded letters decide before the later first-difference rule.
  ExpectOrder(u"ab", u"AC");
  ExpectOrder(u"ＺＺ", u"ｚ");
}

TEST(CompareNames, FoldedLettersComeBeforeTheSymbolsBehindThemInAscii) {
  ExpectOrder(u"za", u"_a");
  ExpectOrder(u"Zz", u"[a");
  ExpectOrder(u"z", u"\\");
  ExpectOrder(u"z", u"^");
  ExpectOrder(u"z", u"`");
}

TEST(CompareNames, KanaFoldTogetherAndOrderByTheirCodes) {
  ExpectOrder(u"かき", u"カキ");
  ExpectOrder(u"かa", u"がa");
  ExpectOrder(u"ば", u"ぱ");
  ExpectOrder(u"ウ", u"ヴ");
  ExpectOrder(u"がa", u"かb");
  ExpectOrder(u"ぱa", u"ハb");
  ExpectOrder(u"ヴa", u"うb");
  ExpectOrder(u"ｶｷ", u"カキ");
  // The half-width sound mark is a character of its own (゛ after folding).
  ExpectOrder(u"ｶb", u"ｶﾞa");
  // Small kana stay small: ァ and ア differ after folding.
  ExpectOrder(u"ぁz", u"アa");
  // Half-width katakana are single bytes and precede every double byte.
  ExpectOrder(u"ｱ", u"あ");
  ExpectOrder(u"~", u"ｱ");
}

TEST(CompareNames, TheProlongedSoundMarkTakesTheVowelOfTheKanaBeforeIt) {
  ExpectOrder(u"カー", u"カア");
  ExpectOrder(u"キー", u"キィ");
  ExpectOrder(u"キー", u"キイ");
  ExpectOrder(u"カァA", u"カーB");
  ExpectOrder(u"すーA", u"スゥB");
  ExpectOrder(u"ンーA", u"ンァB");
  ExpectOrder(u"ヴーA", u"ブゥB");
  // After a letter the mark folds to ァ; then ー < ァ by the first difference.
  ExpectOrder(u"aー", u"aァ");
  ExpectOrder(u"aー", u"aア");
  // After a half-width kana the mark folds to ァ, after キ to ィ.
  ExpectOrder(u"ｷｰ", u"キー");
  ExpectOrder(u"ｷｰ", u"ｷィ");
  // The full-width tilde behaves like the mark.
  ExpectOrder(u"キ～A", u"キィB");
}

TEST(CompareNames, TheMarkStaysItselfAtTheStartOfANameOrAComponent) {
  ExpectOrder(u"ーb", u"ァa");
  ExpectOrder(u"x\\ーb", u"x\\ァa");
  ExpectOrder(u"～b", u"ァa");
  ExpectOrder(u"ー", u"～");
  ExpectOrder(u"x\\ー", u"x\\～");
}

TEST(FoldCharacter, FoldsCaseWidthKanaAndVoicing) {
  EXPECT_EQ(FoldCharacter(u"５", 0), u'5');
  EXPECT_EQ(FoldCharacter(u"g", 0), u'G');
  EXPECT_EQ(FoldCharacter(u"ｇ", 0), u'G');
  EXPECT_EQ(FoldCharacter(u"Ｇ", 0), u'G');
  EXPECT_EQ(FoldCharacter(u"ぁ", 0), u'ァ');
  EXPECT_EQ(FoldCharacter(u"ん", 0), u'ン');
  EXPECT_EQ(FoldCharacter(u"が", 0), u'カ');
  EXPECT_EQ(FoldCharacter(u"ぽ", 0), u'ホ');
  EXPECT_EQ(FoldCharacter(u"ヴ", 0), u'ウ');
  EXPECT_EQ(FoldCharacter(u"ｶ", 0), u'カ');
  EXPECT_EQ(FoldCharacter(u"ﾞ", 0), u'゛');
}

TEST(FoldCharacter, LeavesEverythingElseAlone) {
  for (char16_t ch : std::u16string(u"ゔヵヶヽヾ・漢A_\\＼［！0é")) {
    const char16_t name[] = {ch, 0};
    EXPECT_EQ(FoldCharacter(name, 0), ch) << Utf8(std::u16string(1, ch));
  }
}

TEST(FoldCharacter, ReadsTheMarkFromTheUnfoldedUnitBeforeIt) {
  EXPECT_EQ(FoldCharacter(u"ー", 0), u'ー');
  EXPECT_EQ(FoldCharacter(u"ｰ", 0), u'ー');
  EXPECT_EQ(FoldCharacter(u"～", 0), u'～');
  EXPECT_EQ(FoldCharacter(u"a\\ー", 2), u'ー');
  EXPECT_EQ(FoldCharacter(u"カー", 1), u'ァ');
  EXPECT_EQ(FoldCharacter(u"キー", 1), u'ィ');
  EXPECT_EQ(FoldCharacter(u"すー", 1), u'ゥ');
  EXPECT_EQ(FoldCharacter(u"げｰ", 1), u'ェ');
  EXPECT_EQ(FoldCharacter(u"ョー", 1), u'ォ');
  EXPECT_EQ(FoldCharacter(u"ッー", 1), u'ァ');
  EXPECT_EQ(FoldCharacter(u"ンー", 1), u'ァ');
  EXPECT_EQ(FoldCharacter(u"ｷｰ", 1), u'ァ');
  EXPECT_EQ(FoldCharacter(u"キーー", 2), u'ァ');
  EXPECT_EQ(FoldCharacter(u"aー", 1), u'ァ');
  EXPECT_EQ(FoldCharacter(u"漢～", 1), u'ァ');
}

TEST(KatakanaTable, UnvoicesEveryVoicedKanaOntoItsPlainForm) {
  int voiced = 0;
  int semivoiced = 0;
  for (char16_t ch = 0x30A1; ch <= 0x30F4; ++ch) {
    const KatakanaEntry& entry = Katakana(ch);
    if (entry.unvoice == 0) continue;
    SCOPED_TRACE(Utf8(std::u16string(1, ch)));
    voiced += entry.unvoice == 1;
    semivoiced += entry.unvoice == 2;
    // The plain form is unvoiced itself and shares the vowel.
    const KatakanaEntry& plain = Katakana(static_cast<char16_t>(ch - entry.unvoice));
    EXPECT_EQ(plain.unvoice, 0);
    EXPECT_EQ(plain.vowel, entry.vowel);
  }
  EXPECT_EQ(voiced, 20);
  EXPECT_EQ(semivoiced, 5);
  EXPECT_EQ(Katakana(u'ガ').unvoice, 1);
  EXPECT_EQ(Katakana(u'ヅ').unvoice, 1);
  EXPECT_EQ(Katakana(u'ボ').unvoice, 1);
  EXPECT_EQ(Katakana(u'パ').unvoice, 2);
  EXPECT_EQ(Katakana(u'ポ').unvoice, 2);
  EXPECT_EQ(Katakana(u'ヴ').unvoice, 78);
  EXPECT_EQ(0x30F4 - Katakana(u'ヴ').unvoice, u'ウ');
  EXPECT_EQ(Katakana(u'ッ').unvoice, 0);
  EXPECT_EQ(Katakana(u'ハ').unvoice, 0);
}

TEST(KatakanaTable, GivesEachKanaItsVowel) {
  // The small vowel kana and their large forms stand for themselves.
  for (int vowel = 0; vowel <= 8; vowel += 2) {
    EXPECT_EQ(kKatakanaTable[vowel].vowel, vowel);
    EXPECT_EQ(kKatakanaTable[vowel + 1].vowel, vowel);
  }
  EXPECT_EQ(Katakana(u'ッ').vowel, 0);
  EXPECT_EQ(Katakana(u'ン').vowel, 0);
  EXPECT_EQ(Katakana(u'ャ').vowel, 0);
  EXPECT_EQ(Katakana(u'ュ').vowel, 4);
  EXPECT_EQ(Katakana(u'ョ').vowel, 8);
  EXPECT_EQ(Katakana(u'ヮ').vowel, 0);
  EXPECT_EQ(Katakana(u'ヰ').vowel, 2);
  EXPECT_EQ(Katakana(u'ヱ').vowel, 6);
  EXPECT_EQ(Katakana(u'ヲ').vowel, 8);
  EXPECT_EQ(Katakana(u'ヴ').vowel, 4);
  EXPECT_EQ(Katakana(u'ツ').vowel, 4);
  EXPECT_EQ(Katakana(u'ヂ').vowel, 2);
  EXPECT_EQ(Katakana(u'ペ').vowel, 6);
  EXPECT_EQ(Katakana(u'ロ').vowel, 8);
  // The gojuon rows from カ to ホ run through the vowels in order.
  const std::u16string rows = u"カキクケコサシスセソナニヌネノハヒフヘホマミムメモラリルレロ";
  for (size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(Katakana(rows[k]).vowel, 2 * (k % 5)) << Utf8(rows.substr(k, 1));
  }
}

TEST(HalfwidthKanaTable, MapsEachFormToItsFullwidthCharacter) {
  EXPECT_EQ(Halfwidth(u'｡'), u'。');
  EXPECT_EQ(Halfwidth(u'｢'), u'「');
  EXPECT_EQ(Halfwidth(u'｣'), u'」');
  EXPECT_EQ(Halfwidth(u'､'), u'、');
  EXPECT_EQ(Halfwidth(u'･'), u'・');
  EXPECT_EQ(Halfwidth(u'ｦ'), u'ヲ');
  EXPECT_EQ(Halfwidth(u'ｧ'), u'ァ');
  EXPECT_EQ(Halfwidth(u'ｫ'), u'ォ');
  EXPECT_EQ(Halfwidth(u'ｬ'), u'ャ');
  EXPECT_EQ(Halfwidth(u'ｮ'), u'ョ');
  EXPECT_EQ(Halfwidth(u'ｯ'), u'ッ');
  EXPECT_EQ(Halfwidth(u'ｰ'), u'ー');
  EXPECT_EQ(Halfwidth(u'ﾜ'), u'ワ');
  EXPECT_EQ(Halfwidth(u'ﾝ'), u'ン');
  // The sound marks map to the spacing marks, not the combining ones.
  EXPECT_EQ(Halfwidth(u'\uFF9E'), u'\u309B');
  EXPECT_EQ(Halfwidth(u'\uFF9F'), u'\u309C');
  // ｱ .. ﾝ are the plain large kana ア .. ン, in order.
  const std::u16string large = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";
  ASSERT_EQ(large.size(), 0xFF9Du - 0xFF71u + 1);
  for (char16_t ch = 0xFF71; ch <= 0xFF9D; ++ch) {
    EXPECT_EQ(Halfwidth(ch), large[ch - 0xFF71]) << std::hex << int(ch);
  }
}

TEST(CompareAnsiCodes, OrdersByTheCodePage932Code) {
  EXPECT_EQ(CompareAnsiCodes(u'a', u'a'), 0);
  EXPECT_EQ(CompareAnsiCodes(u'A', u'a'), -1);
  EXPECT_EQ(CompareAnsiCodes(u'a', u'A'), 1);
  EXPECT_EQ(CompareAnsiCodes(u'ｱ', u'ー'), -1);
  EXPECT_EQ(CompareAnsiCodes(u'ー', u'～'), -1);
  EXPECT_EQ(CompareAnsiCodes(u'あ', u'ア'), -1);
  EXPECT_EQ(CompareAnsiCodes(u'ァ', u'ア'), -1);
  EXPECT_EQ(CompareAnsiCodes(u'ア', u'Α'), -1);
  EXPECT_EQ(CompareAnsiCodes(u'━', u'亜'), -1);
  // Best fit: é converts to e.
  EXPECT_EQ(CompareAnsiCodes(u'é', u'e'), 0);
  EXPECT_EQ(AnsiCode(u'ー'), 0x815B);
  EXPECT_EQ(AnsiCode(u'～'), 0x8160);
  EXPECT_EQ(AnsiCode(u'ア'), 0x8341);
  EXPECT_EQ(AnsiCode(u'ｱ'), 0xB1);
}

// Names at the very start and end of exact heap blocks: any read before the
// first unit or past the terminator is an AddressSanitizer report.
TEST(CompareNames, NeverReadsOutsideTheNames) {
  struct Case {
    std::u16string a;
    std::u16string b;
    int aFirst;  // CompareNames(a, b)
    int bFirst;  // CompareNames(b, a)
  };
  const Case cases[] = {
      {u"x12", u"x123", -1, 1},
      {u"x12", u"x１２", 1, 1},
      {u"x１２", u"x1２", 1, 1},
      {u"x１", u"x２", -1, 1},
      {u"9", u"10", -1, 1},
      {u"007", u"07", 1, -1},
      {u"1", u"", 1, -1},
      {u"12", u"12", 0, 0},
      {u"ー", u"ー", 0, 0},
      {u"ー", u"ァ", -1, 1},
      {u"ｰ", u"ー", -1, 1},
      {u"ー", u"～", -1, 1},
      {u"aー", u"aァ", -1, 1},
      {u"a\\", u"a\\ー", -1, 1},
      {u"a\\ー", u"a\\～", -1, 1},
      {u"a/", u"a\\", -1, 1},
      {u"a\\", u"a\\", 0, 0},
      {u"キー", u"キィ", -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.a) + " / " + Utf8(c.b));
    auto a = ExactCopy(c.a);
    auto b = ExactCopy(c.b);
    EXPECT_EQ(CompareNames(a.get(), kFile, b.get(), kFile), c.aFirst);
    EXPECT_EQ(CompareNames(b.get(), kFolder, a.get(), kFolder), c.bFirst);
    // Folding looks back one unit; at position 0 it must not.
    for (size_t i = 0; i < c.a.size(); ++i) FoldCharacter(a.get(), static_cast<int32_t>(i));
  }
  auto mark = ExactCopy(u"ー");
  EXPECT_EQ(FoldCharacter(mark.get(), 0), u'ー');
}

namespace {

std::u16string Range(char16_t first, char16_t last) {
  std::u16string s;
  for (char16_t ch = first; ch <= last; ++ch) s += ch;
  return s;
}

// Everything: both digit widths, marks, accented letters (which best-fit
// onto ASCII codes) and kanji with and without a code page 932 code.
std::u16string FullAlphabet() {
  return Range(u'a', u'z') + Range(u'A', u'Z') + u"0123456789012345" + Range(0xFF10, 0xFF19) +
         Range(0xFF21, 0xFF3A) + Range(0xFF41, 0xFF5A) + Range(0x3041, 0x3094) + Range(0x30A1, 0x30F6) +
         Range(0xFF61, 0xFF9F) + u"ーーーー～" + u"日本語漢字東京大阪一二三写真資料新規" + u"\u4E02\u9FA0" +
         u" .._-()[]!#&'+,;=@~{}\\、。「」・（）＿＃【】" + u"éèêëàáâäçñöüÉÖÜßø";
}

// Characters whose ANSI codes are all distinct and whose folding does not
// depend on the unit before them; only ASCII digits.
std::u16string DistinctCodeAlphabet() {
  return Range(u'a', u'z') + Range(u'A', u'Z') + u"01234567890123456789" + Range(0xFF21, 0xFF3A) +
         Range(0xFF41, 0xFF5A) + Range(0x3041, 0x3093) + Range(0x30A1, 0x30F4) + Range(0xFF61, 0xFF6F) +
         Range(0xFF71, 0xFF9F) + u"日本語漢字東京大阪一二三写真資料新規" +
         u" ._-()[]!#&'+,;=@{}、。「」・（）＿＃【】";
}

std::u16string RandomName(std::mt19937& random, const std::u16string& alphabet, size_t minLength,
                          size_t maxLength) {
  std::uniform_int_distribution<size_t> length(minLength, maxLength);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::u16string name;
  for (size_t n = length(random); n > 0; --n) name += alphabet[pick(random)];
  return name;
}

// A name close to `name`: one unit changed, inserted or removed, or one
// unit swapped for a fold-equal variant, so that pairs share long prefixes.
std::u16string Neighbour(std::mt19937& random, const std::u16string& name, const std::u16string& alphabet) {
  std::u16string result = name;
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  size_t at = result.empty() ? 0 : random() % (result.size() + 1);
  switch (random() % 4) {
    case 0:
      if (at < result.size()) result[at] = alphabet[pick(random)];
      break;
    case 1:
      result.insert(result.begin() + at, alphabet[pick(random)]);
      break;
    case 2:
      if (at < result.size()) result.erase(at, 1);
      break;
    default:
      if (at < result.size()) {
        char16_t& ch = result[at];
        if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + 0xFF21);
        else if (ch >= 0x3041 && ch <= 0x3093) ch = static_cast<char16_t>(ch + 0x60);
        else if (ch >= 0x30A1 && ch <= 0x30F3) ch = static_cast<char16_t>(ch - 0x60);
        else if (ch >= u'0' && ch <= u'9') ch = static_cast<char16_t>(ch - u'0' + 0xFF10);
      }
      break;
  }
  return result;
}

}  // namespace

TEST(CompareNames, RandomPairsAreAntisymmetricAndZeroOnlyForIdenticalNames) {
  std::mt19937 random(20261207);
  const std::u16string alphabet = FullAlphabet();
  int zeros = 0;
  int negatives = 0;
  int positiveBothWays = 0;
  for (int n = 0; n < 6000; ++n) {
    std::u16string a = RandomName(random, alphabet, 0, 12);
    std::u16string b = n % 5 == 0 ? a : Neighbour(random, a, alphabet);
    if (n % 3 == 0) b = Neighbour(random, b, alphabet);
    uint8_t kindA = random() % 4 == 0 ? kFolder : kFile;
    uint8_t kindB = random() % 4 == 0 ? kFolder : kFile;
    int ab = CompareNames(a.c_str(), kindA, b.c_str(), kindB);
    int ba = CompareNames(b.c_str(), kindB, a.c_str(), kindA);
    SCOPED_TRACE(Utf8(a) + " / " + Utf8(b));
    ASSERT_TRUE(ab == -1 || ab == 0 || ab == 1) << ab;
    ASSERT_TRUE(ba == -1 || ba == 0 || ba == 1) << ba;
    ASSERT_EQ(ab == 0, a == b && kindA == kindB);
    ASSERT_EQ(ba == 0, ab == 0);
    ASSERT_FALSE(ab == -1 && ba == -1);
    if (kindA != kindB) {
      ASSERT_EQ(ab, kindA == kFile ? -1 : 1);
    }
    zeros += ab == 0;
    negatives += ab == -1;
    positiveBothWays += ab == 1 && ba == 1;
  }
  // The pairs reached every kind of answer.
  EXPECT_GT(zeros, 100);
  EXPECT_GT(negatives, 1000);
  EXPECT_GT(positiveBothWays, 0);
}

namespace {

// The names in the order that the list's own sorted insertion gives them.
std::vector<std::u16string> SortedByInsertion(const std::vector<std::u16string>& names) {
  PathNode* head = nullptr;
  PathNode* tail = nullptr;
  for (const std::u16string& name : names) InsertSorted(name.c_str(), 0, &head, &tail, kFile);
  std::vector<std::u16string> sorted = ListTexts(head);
  FreeNodeList(&head, &tail);
  return sorted;
}

// A name of the same length as `name` with one unit replaced, or swapped
// for a fold-equal variant (case, width, hiragana and katakana).
std::u16string SameLengthNeighbour(std::mt19937& random, const std::u16string& name,
                                   const std::u16string& alphabet) {
  std::u16string result = name;
  char16_t& ch = result[random() % result.size()];
  if (random() % 2 == 0) {
    ch = alphabet[random() % alphabet.size()];
  } else if (ch >= u'a' && ch <= u'z') {
    ch = static_cast<char16_t>(random() % 2 == 0 ? ch - 0x20 : ch - u'a' + 0xFF41);
  } else if (ch >= 0x3041 && ch <= 0x3093) {
    ch = static_cast<char16_t>(ch + 0x60);
  } else if (ch >= 0x30A1 && ch <= 0x30F3) {
    ch = static_cast<char16_t>(ch - 0x60);
  }
  return result;
}

}  // namespace

TEST(CompareNames, InsertionKeepsEveryNeighbouringPairInOrder) {
  std::mt19937 random(7);
  const std::u16string alphabet = FullAlphabet();
  for (int round = 0; round < 40; ++round) {
    std::vector<std::u16string> names;
    std::u16string seed = RandomName(random, alphabet, 1, 8);
    for (int n = 0; n < 100; ++n) {
      seed = n % 4 == 0 ? RandomName(random, alphabet, 0, 10) : Neighbour(random, seed, alphabet);
      names.push_back(seed);
    }
    std::vector<std::u16string> list = SortedByInsertion(names);
    ASSERT_EQ(list.size(), names.size());
    for (size_t k = 0; k + 1 < list.size(); ++k) {
      int forward = CompareNames(list[k].c_str(), kFile, list[k + 1].c_str(), kFile);
      int backward = CompareNames(list[k + 1].c_str(), kFile, list[k].c_str(), kFile);
      ASSERT_TRUE(forward <= 0 || backward > 0) << Utf8(list[k]) << " / " << Utf8(list[k + 1]);
    }
  }
}

// For names of one length whose characters have distinct ANSI codes, whose
// folding needs no context and whose digits are ASCII, the order is a total
// order: after insertion every earlier name goes before every later one.
// (Names of different lengths are not: "b" < "bZ" < "B_" < "b".)
TEST(CompareNames, NamesOfOneLengthSortIntoATotalOrder) {
  std::mt19937 random(53);
  const std::u16string alphabet = DistinctCodeAlphabet();
  for (char16_t x : alphabet) {
    ASSERT_NE(AnsiCode(x), 0x3F) << Utf8(std::u16string(1, x));
    for (char16_t y : alphabet) {
      if (x != y) {
        ASSERT_NE(AnsiCode(x), AnsiCode(y)) << Utf8(std::u16string{x, u' ', y});
      }
    }
  }
  for (int round = 0; round < 30; ++round) {
    size_t length = 1 + round % 8;
    std::vector<std::u16string> names;
    std::u16string seed = RandomName(random, alphabet, length, length);
    for (int n = 0; n < 60; ++n) {
      std::u16string name = n % 3 == 0 ? RandomName(random, alphabet, length, length) : seed;
      // One or two units replaced, or swapped for a fold-equal variant.
      for (int k = 0; k < 2; ++k) name = SameLengthNeighbour(random, name, alphabet);
      seed = name;
      names.push_back(name);
    }
    std::vector<std::u16string> list = SortedByInsertion(names);
    ASSERT_EQ(list.size(), names.size());
    for (size_t i = 0; i < list.size(); ++i) {
      for (size_t j = i + 1; j < list.size(); ++j) {
        SCOPED_TRACE(Utf8(list[i]) + " / " + Utf8(list[j]));
        int forward = CompareNames(list[i].c_str(), kFile, list[j].c_str(), kFile);
        int backward = CompareNames(list[j].c_str(), kFile, list[i].c_str(), kFile);
        if (list[i] == list[j]) {
          ASSERT_EQ(forward, 0);
        } else {
          ASSERT_EQ(forward, -1);
          ASSERT_EQ(backward, 1);
        }
      }
    }
  }
}

TEST(CompareNames, NamesOfDifferentLengthsNeedNotBeTransitive) {
  // The first difference outranks the length, so a shorter name can jump a
  // longer one that its fold-equal twin goes before.
  ExpectOrder(u"b", u"bZ");
  ExpectOrder(u"bZ", u"B_");
  ExpectOrder(u"B_", u"b");
}
