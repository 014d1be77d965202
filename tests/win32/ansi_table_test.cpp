#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>

#include "engine/collation.h"
#include "platform/ansi_code.h"

namespace {

// The table that the POSIX build uses, as checked in.
const uint16_t kCheckedInTable[65536] = {
#include "platform/posix/ansi_cp932.tbl"
};

// The live code page 932 code of one unit, read the way the program reads it.
uint16_t LiveCode(unsigned unit) {
  wchar_t ch = static_cast<wchar_t>(unit);
  char bytes[3] = {0, 0, 0};
  int written = WideCharToMultiByte(932, 0, &ch, 1, bytes, sizeof bytes, nullptr, nullptr);
  EXPECT_TRUE(written == 1 || written == 2) << std::hex << unit;
  uint16_t lead = static_cast<unsigned char>(bytes[0]);
  uint16_t trail = static_cast<unsigned char>(bytes[1]);
  return written == 2 ? static_cast<uint16_t>(lead * 256 + trail) : lead;
}

}  // namespace

TEST(AnsiTable, TheSystemCodePageIs932) { ASSERT_EQ(GetACP(), 932u); }

TEST(AnsiTable, CheckedInTableMatchesTheSystemConversion) {
  int mismatches = 0;
  std::ostringstream first;
  for (unsigned unit = 0; unit < 65536; ++unit) {
    uint16_t live = LiveCode(unit);
    if (live != kCheckedInTable[unit] && ++mismatches <= 10) {
      first << std::hex << " U+" << unit << ": table 0x" << kCheckedInTable[unit] << ", system 0x" << live;
    }
  }
  EXPECT_EQ(mismatches, 0) << first.str();
}

TEST(AnsiTable, AnsiCodeGivesTheTableForEveryUnit) {
  ASSERT_EQ(GetACP(), 932u);
  int mismatches = 0;
  std::ostringstream first;
  for (unsigned unit = 0; unit < 65536; ++unit) {
    uint16_t code = AnsiCode(static_cast<char16_t>(unit));
    if (code != kCheckedInTable[unit] && ++mismatches <= 10) {
      first << std::hex << " U+" << unit << ": table 0x" << kCheckedInTable[unit] << ", AnsiCode 0x" << code;
    }
  }
  EXPECT_EQ(mismatches, 0) << first.str();
}

TEST(AnsiTable, BestFitDoubleBytesAndTheDefaultCharacter) {
  EXPECT_EQ(AnsiCode(u'\u00E9'), 0x65);  // é: best fit to e
  EXPECT_EQ(AnsiCode(u'\u00A5'), 0x5C);  // ¥: best fit to the backslash byte
  EXPECT_EQ(AnsiCode(u'\u2170'), 0xFA40);  // small Roman numeral one, IBM extension
  EXPECT_EQ(AnsiCode(u'ー'), 0x815B);
  EXPECT_EQ(AnsiCode(u'～'), 0x8160);
  EXPECT_EQ(AnsiCode(u'ァ'), 0x8340);
  EXPECT_EQ(AnsiCode(u'ｱ'), 0xB1);
  EXPECT_EQ(AnsiCode(static_cast<char16_t>(0xD800)), 0x3F);  // a lone surrogate has no mapping
  EXPECT_EQ(AnsiCode(static_cast<char16_t>(0xDFFF)), 0x3F);
  EXPECT_EQ(AnsiCode(u'\0'), 0);
  EXPECT_EQ(kCheckedInTable[0xE9], 0x65);
  EXPECT_EQ(kCheckedInTable[0x2170], 0xFA40);
  EXPECT_EQ(kCheckedInTable[0xD800], 0x3F);
}

// The half-width table agrees with the system's compatibility decomposition
// for every form but the two sound marks, which the program maps to the
// spacing marks instead of the combining ones.
TEST(HalfwidthKanaTable, AgreesWithTheSystemCompatibilityDecomposition) {
  for (wchar_t unit = 0xFF61; unit <= 0xFF9F; ++unit) {
    wchar_t decomposed[8] = {};
    int length = NormalizeString(NormalizationKC, &unit, 1, decomposed, 8);
    ASSERT_EQ(length, 1) << std::hex << int(unit);
    char16_t expected = static_cast<char16_t>(decomposed[0]);
    if (unit == 0xFF9E) expected = 0x309B;
    if (unit == 0xFF9F) expected = 0x309C;
    EXPECT_EQ(kHalfwidthKanaTable[unit - 0xFF61], expected) << std::hex << int(unit);
  }
}

// Each voiced or semi-voiced katakana decomposes into its plain kana and a
// combining sound mark; the table's unvoice distance leads to that plain kana.
TEST(KatakanaTable, UnvoiceAgreesWithTheSystemCanonicalDecomposition) {
  for (wchar_t unit = 0x30A1; unit <= 0x30F4; ++unit) {
    wchar_t decomposed[8] = {};
    int length = NormalizeString(NormalizationD, &unit, 1, decomposed, 8);
    ASSERT_GE(length, 1) << std::hex << int(unit);
    int unvoice = kKatakanaTable[unit - 0x30A1].unvoice;
    if (length == 1) {
      EXPECT_EQ(unvoice, 0) << std::hex << int(unit);
    } else {
      ASSERT_EQ(length, 2) << std::hex << int(unit);
      EXPECT_TRUE(decomposed[1] == 0x3099 || decomposed[1] == 0x309A) << std::hex << int(unit);
      EXPECT_EQ(unit - unvoice, decomposed[0]) << std::hex << int(unit);
    }
  }
}
