// The benchmark's reference on Windows: a bare walk of a folder tree with
// FindFirstFileExW (the basic information level and the large fetch, as the
// listing reads folders), counting the entries and printing nothing else.
// What dorrowin-list adds to it is the sorting, the lines and the output.
//
//   find_walker FOLDER

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

unsigned long long Walk(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return 0;
  unsigned long long count = 0;
  do {
    if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) continue;
    ++count;
    bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (isFolder && !isLink) count += Walk(folder + L"\\" + data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: find_walker FOLDER\n", stderr);
    return 2;
  }
  std::printf("%llu\n", Walk(argv[1]));
  return 0;
}
