#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/win32/win32_window.h"

namespace {

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// ShellExecuteW may hand the document to shell extensions that need COM in a
// single-threaded apartment: the calling thread joins one for the call (a
// thread already in COM keeps its own). Success is a value above 32.
bool Win32OpenDocument(const char16_t* path) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  HINSTANCE result = ShellExecuteW(nullptr, L"open", Wide(path), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) CoUninitialize();
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void Win32ShowWarning(MainWindow* owner, const char16_t* text, const char16_t* caption) {
  MessageBoxW(owner != nullptr ? owner->handle : nullptr, Wide(text), Wide(caption), MB_ICONWARNING | MB_OK);
}

}  // namespace

ShellApi g_shell{Win32OpenDocument, Win32ShowWarning};
