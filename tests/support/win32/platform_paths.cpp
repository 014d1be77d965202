#include <windows.h>

#include <shlobj.h>

#include <cstring>

#include "platform/win32/win32_window.h"
#include "tests/support/test_support.h"

std::u16string EnginePath(const std::filesystem::path& native) {
  std::wstring text = std::filesystem::absolute(native).make_preferred().wstring();
  return std::u16string(text.begin(), text.end());
}

// A drop as the shell makes it: a DROPFILES header, then the wide paths, each
// terminated, and one more terminator.
DropHandle MakeDrop(const std::vector<std::u16string>& paths) {
  size_t units = 1;
  for (const std::u16string& path : paths) units += path.size() + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * 2);
  if (block == nullptr) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  char16_t* text = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
  for (const std::u16string& path : paths) {
    std::memcpy(text, path.c_str(), (path.size() + 1) * 2);
    text += path.size() + 1;
  }
  *text = 0;
  GlobalUnlock(block);
  return block;
}

namespace {
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

// A hidden stand-in for the main window, with real edit boxes for the four
// affix texts, so that the engine's window and clipboard calls are real.
void SetUpPlatformForTests() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"DorrowinTestWindow";
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"DorrowinTestWindow", L"test",
                                WS_CAPTION | WS_SYSMENU, 0, 0, 200, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SetMainWindowHandle(window);
  const Control edits[] = {Control::FilePrefixEdit, Control::FileSuffixEdit, Control::FolderPrefixEdit,
                           Control::FolderSuffixEdit};
  for (Control control : edits) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 40, 20, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(control)),
                                GetModuleHandleW(nullptr), nullptr);
    SetControlHandle(control, edit);
  }
}
