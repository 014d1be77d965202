// Listings of a small tree on disk (names that are not UTF-8 too) with any affixes and options, storage running out
// at a fuzzed allocation: Failed, or Done with each plain line wrapped in its kind's affixes and the separator
// applied; nothing leaked. And the input's bytes as a POSIX name: read and written back, the same bytes, its ASCII
// bytes (so '/' and '.') its only ASCII units.
#include "tests/fuzz/fuzz_input.h"
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name(reinterpret_cast<const char*>(data), size);
  std::erase(name, '\0');
  std::u16string read = FromUtf8(name.c_str());
  auto ascii = [](auto unit) { return static_cast<std::make_unsigned_t<decltype(unit)>>(unit) < 0x80; };
  FUZZ_CHECK(ToUtf8(read.c_str(), LoneSurrogates::AsBytes) == name &&
             std::count_if(read.begin(), read.end(), ascii) == std::count_if(name.begin(), name.end(), ascii));
  static ScratchFolder tree;  // a line's last name begins with f or . for a file, D or d (the tree itself) for a folder
  [[maybe_unused]] static bool made = (tree.Make({"f1.txt", "f10.tar.gz", ".fhidden", "Dsub/f2", "Dsub/Ddeep/f.md",
                                                  "Dsub/D\xC0\xAF\x8E/f\xE9.x", "D e/f3.txt", "D e/Dnone/"}), true);
  const char* drops[] = {"", "f10.tar.gz", "Dsub", "Dsub/Ddeep/f.md", "D e", "missing"};
  FuzzInput in{data, size};
  uint8_t o = in.Byte(), failAt = in.Byte(), pick = in.Byte();
  ListingOptions opt{PathForm(1 + o % 4), o & 4 ? u'/' : u'\\', ItemFilter(1 + o / 8 % 3), bool(o & 32), bool(o & 64)};
  std::vector<std::u16string> paths, affixes;
  for (int i = 0; i < 6; ++i) if ((pick >> i) & 1) paths.push_back(tree[drops[i]]);
  while (affixes.size() < 4) affixes.push_back(in.Text(in.Byte() % 8));
  std::u16string plain, text, expected;
  FUZZ_CHECK(ListToText(MakeRequest(opt, paths), &plain) == ListingOutcome::Done);
  ListingRequest request = MakeRequest(opt, paths, affixes);
  AllocationStats before = GetAllocationStats();
  ListingOutcome outcome{};
  Failing(failAt, [&] { outcome = ListToText(request, &text); });
  bool ranOut = GetAllocationStats().failures != before.failures;
  FUZZ_CHECK(GetAllocationStats().liveBlocks == before.liveBlocks &&
             outcome == (ranOut ? ListingOutcome::Failed : ListingOutcome::Done));
  for (std::u16string& affix : affixes) std::replace(affix.begin(), affix.end(), u'\\', opt.separator);
  for (size_t start = 0, end; start < plain.size() && !ranOut; start = end + 2) {
    std::u16string line = plain.substr(start, (end = std::min(plain.find(u"\r\n", start), plain.size())) - start);
    size_t core = line.find_first_not_of(u" \u2523\u2517\u2503\u3000");  // after the tree's indent
    int kind = (line[std::max(core, line.find_last_of(u"\\/") + 1)] | 32) == u'd' ? 2 : 0;  // npos + 1 is 0
    expected += (start ? u"\r\n" : u"") + line.substr(0, core) + affixes[kind] + line.substr(core) + affixes[kind + 1];
  }
  FUZZ_CHECK((ranOut || text == expected) && (opt.separator == u'\\' || text.find(u'\\') == std::u16string::npos));
  return 0;
}
