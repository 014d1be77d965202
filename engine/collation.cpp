#include "engine/collation.h"

#include "engine/path_rules.h"
#include "platform/ansi_code.h"

namespace {

// unvoice: how far a voiced or semi-voiced katakana lies from its plain form
// (ヴ from ウ); vowel: the offset from ァ of the small vowel kana that a
// prolonged sound mark after the entry stands for.
struct KatakanaEntry {
  uint8_t unvoice;
  uint8_t vowel;
};

const KatakanaEntry kKatakanaTable[84] = {
    {0, 0},  {0, 0},  {0, 2}, {0, 2}, {0, 4}, {0, 4}, {0, 6}, {0, 6},  // ァ ア ィ イ ゥ ウ ェ エ
    {0, 8},  {0, 8},                                                  // ォ オ
    {0, 0},  {1, 0},  {0, 2}, {1, 2}, {0, 4}, {1, 4}, {0, 6}, {1, 6},  // カ ガ キ ギ ク グ ケ ゲ
    {0, 8},  {1, 8},                                                  // コ ゴ
    {0, 0},  {1, 0},  {0, 2}, {1, 2}, {0, 4}, {1, 4}, {0, 6}, {1, 6},  // サ ザ シ ジ ス ズ セ ゼ
    {0, 8},  {1, 8},                                                  // ソ ゾ
    {0, 0},  {1, 0},  {0, 2}, {1, 2}, {0, 0}, {0, 4}, {1, 4}, {0, 6},  // タ ダ チ ヂ ッ ツ ヅ テ
    {1, 6},  {0, 8},  {1, 8},                                         // デ ト ド
    {0, 0},  {0, 2},  {0, 4}, {0, 6}, {0, 8},                          // ナ ニ ヌ ネ ノ
    {0, 0},  {1, 0},  {2, 0}, {0, 2}, {1, 2}, {2, 2},                  // ハ バ パ ヒ ビ ピ
    {0, 4},  {1, 4},  {2, 4}, {0, 6}, {1, 6}, {2, 6},                  // フ ブ プ ヘ ベ ペ
    {0, 8},  {1, 8},  {2, 8},                                         // ホ ボ ポ
    {0, 0},  {0, 2},  {0, 4}, {0, 6}, {0, 8},                          // マ ミ ム メ モ
    {0, 0},  {0, 0},  {0, 4}, {0, 4}, {0, 8}, {0, 8},                  // ャ ヤ ュ ユ ョ ヨ
    {0, 0},  {0, 2},  {0, 4}, {0, 6}, {0, 8},                          // ラ リ ル レ ロ
    {0, 0},  {0, 0},  {0, 2}, {0, 6}, {0, 8}, {0, 0},                  // ヮ ワ ヰ ヱ ヲ ン
    {78, 4},                                                          // ヴ
};

// The full-width character behind each half-width form U+FF61..U+FF9F; the
// two sound marks map to the spacing marks ゛ and ゜.
const char16_t kHalfwidthKanaTable[63] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ',
    u'ョ', u'ッ', u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ',
    u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ',
    u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ',
    u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜',
};

constexpr char16_t kSmallA = 0x30A1;  // ァ, the first entry of the katakana table
constexpr char16_t kLastKatakana = 0x30F4;  // ヴ
constexpr char16_t kFirstHiragana = 0x3041;
constexpr char16_t kLastHiragana = 0x3093;
constexpr char16_t kHiraganaToKatakana = 0x60;
constexpr char16_t kFullwidthZero = 0xFF10;
constexpr char16_t kProlongedSoundMark = 0x30FC;
constexpr char16_t kFullwidthTilde = 0xFF5E;

bool IsAsciiDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }
bool IsFullwidthDigit(char16_t ch) { return ch >= kFullwidthZero && ch <= kFullwidthZero + 9; }
bool IsDigit(char16_t ch) { return IsAsciiDigit(ch) || IsFullwidthDigit(ch); }
bool IsHiragana(char16_t ch) { return ch >= kFirstHiragana && ch <= kLastHiragana; }
bool IsKatakana(char16_t ch) { return ch >= kSmallA && ch <= kLastKatakana; }

int DigitValue(char16_t ch) { return IsAsciiDigit(ch) ? ch - u'0' : ch - kFullwidthZero; }

// The small vowel kana that a prolonged sound mark (or full-width tilde) at
// s[i] stands for, from the unfolded unit in front of it. At the start of a
// name or of a path component the mark keeps its own code.
char16_t FoldProlongedSoundMark(const char16_t* s, int32_t i, char16_t mark) {
  if (i == 0) return mark;
  char16_t previous = s[i - 1];
  if (previous == kBackslash || previous == kSlash) return mark;
  if (IsHiragana(previous)) previous = static_cast<char16_t>(previous + kHiraganaToKatakana);
  if (IsKatakana(previous)) return static_cast<char16_t>(kSmallA + kKatakanaTable[previous - kSmallA].vowel);
  return kSmallA;
}

// Reads the digit run (ASCII and full-width mixed) that starts at s[start];
// gives its value, rounded to a double after every step, and the position
// after it. The terminator ends the run like any other non-digit.
double ReadDigitRun(const char16_t* s, int32_t start, int32_t* end) {
  // Below 10^15 every step is exact in a double, so the first fifteen
  // digits are summed as integers: the same value, sooner.
  uint64_t exact = 0;
  int32_t i = start;
  while (i - start < 15 && IsDigit(s[i])) {
    exact = exact * 10 + static_cast<uint64_t>(DigitValue(s[i]));
    ++i;
  }
  double value = static_cast<double>(exact);
  while (IsDigit(s[i])) {
    value = value * 10;
    value = value + DigitValue(s[i]);
    ++i;
  }
  *end = i;
  return value;
}

// Compares the digit runs that both names share up to position i, where at
// least one of them holds an ASCII digit. Returns false when the run does not
// start with a digit in both names; then the characters compare as such.
// Runs of equal value put the shorter one first; equal lengths give +1.
bool CompareDigitRuns(const char16_t* a, const char16_t* b, int32_t i, int* result) {
  int32_t start = i;
  while (start > 0 && IsDigit(a[start - 1]) && IsDigit(b[start - 1])) --start;
  if (!IsDigit(a[start]) || !IsDigit(b[start])) return false;
  int32_t endA = 0;
  int32_t endB = 0;
  double valueA = ReadDigitRun(a, start, &endA);
  double valueB = ReadDigitRun(b, start, &endB);
  if (valueA < valueB) {
    *result = -1;
  } else if (valueA > valueB) {
    *result = 1;
  } else {
    *result = endA < endB ? -1 : 1;
  }
  return true;
}

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch < 0xDC00; }
bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch < 0xE000; }

// Whether s[i] is a surrogate that is not half of a pair. s[i] is no
// terminator, so s[i + 1] is still inside the name.
bool IsLoneSurrogate(const char16_t* s, int32_t i) {
  if (IsHighSurrogate(s[i])) return !IsLowSurrogate(s[i + 1]);
  return IsLowSurrogate(s[i]) && (i == 0 || !IsHighSurrogate(s[i - 1]));
}

// The place of ch, the unit at s[i] or its folded form: its ANSI code, and
// for a lone surrogate the unit itself beside it. Every surrogate has the
// code page's default character, the code of '?' and of every unit without
// a mapping; left at that, lone surrogates would tie with them and with each
// other and go in the order they arrive, which on POSIX (where they are the
// bytes of names that are not UTF-8) differs from disk to disk. So they go
// after those units and before '@', among themselves by unit: escaped bytes
// by byte value. A lone surrogate folds to itself, so ch is s[i] then.
uint32_t OrderKey(const char16_t* s, int32_t i, char16_t ch) {
  return (static_cast<uint32_t>(AnsiCode(ch)) << 16) | (IsLoneSurrogate(s, i) ? ch : 0u);
}

// -1 when the unit at a[i] (or its folded form chA) has the lower key, +1
// otherwise (equal keys included).
int OrderUnits(const char16_t* a, const char16_t* b, int32_t i, char16_t chA, char16_t chB) {
  return OrderKey(a, i, chA) < OrderKey(b, i, chB) ? -1 : 1;
}

// Folds s[i] step by step, each step working on the result of the one
// before: full-width digits, lower case, full-width letters, hiragana,
// voicing, half-width forms, and last the prolonged sound mark.
char16_t FoldCharacter(const char16_t* s, int32_t i) {
  char16_t ch = s[i];
  if (IsFullwidthDigit(ch)) ch = static_cast<char16_t>(ch - kFullwidthZero + u'0');
  if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 0x20);
  if (ch >= 0xFF41 && ch <= 0xFF5A) ch = static_cast<char16_t>(ch - 0x20);
  if (ch >= 0xFF21 && ch <= 0xFF3A) ch = static_cast<char16_t>(ch - 0xFF21 + u'A');
  if (IsHiragana(ch)) ch = static_cast<char16_t>(ch + kHiraganaToKatakana);
  if (IsKatakana(ch)) ch = static_cast<char16_t>(ch - kKatakanaTable[ch - kSmallA].unvoice);
  if (ch >= 0xFF61 && ch <= 0xFF9F) ch = kHalfwidthKanaTable[ch - 0xFF61];
  if (ch == kProlongedSoundMark || ch == kFullwidthTilde) ch = FoldProlongedSoundMark(s, i, ch);
  return ch;
}

}  // namespace

// Files first; then the folded names character by character, digit runs by
// value; names equal after folding by their first differing unit, and names
// without one by length. Never reads past either terminator; allocates
// nothing.
int CompareNames(const char16_t* nameA, uint8_t aIsFile, const char16_t* nameB, uint8_t bIsFile) {
  if (aIsFile && !bIsFile) return -1;
  if (!aIsFile && bIsFile) return 1;

  // The first differing units decide between names equal after folding;
  // their codes are looked up only then, as most names part earlier.
  int32_t firstDifference = -1;
  int32_t i = 0;
  for (; nameA[i] != 0 && nameB[i] != 0; ++i) {
    char16_t a = nameA[i];
    char16_t b = nameB[i];
    if (a == b) continue;
    if (firstDifference < 0) firstDifference = i;
    if (IsAsciiDigit(a) || IsAsciiDigit(b)) {
      int runs = 0;
      if (CompareDigitRuns(nameA, nameB, i, &runs)) return runs;
    }
    char16_t foldedA = FoldCharacter(nameA, i);
    char16_t foldedB = FoldCharacter(nameB, i);
    if (foldedA != foldedB) return OrderUnits(nameA, nameB, i, foldedA, foldedB);
  }

  if (firstDifference >= 0) {
    return OrderUnits(nameA, nameB, firstDifference, nameA[firstDifference], nameB[firstDifference]);
  }
  if (nameA[i] == 0 && nameB[i] == 0) return 0;
  return nameA[i] == 0 ? -1 : 1;
}
