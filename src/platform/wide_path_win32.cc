#include "platform/wide_path_win32.h"

#include <windows.h>

#include <climits>
#include <cstring>

namespace {

// Paths at or above this length take the "\\?\" form. CreateDirectory's own limit is 12 less
// than MAX_PATH (room for an 8.3 name), so the lower figure covers every call.
constexpr std::size_t kClassicLimit = MAX_PATH - 12;

std::wstring Widen(const char* utf8) {
  const std::size_t length = std::strlen(utf8);
  if (length == 0 || length > INT_MAX) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, static_cast<int>(length), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, static_cast<int>(length), wide.data(), n);
  return wide;
}

}  // namespace

std::wstring WidePath(const char* utf8) {
  std::wstring path = Widen(utf8);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (path.size() < kClassicLimit || path.rfind(L"\\\\?\\", 0) == 0) return path;

  // The prefixed form is taken literally: no relative parts, no "." or "..", so resolve first.
  const DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return path;
  std::wstring full(need, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return path;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
  return L"\\\\?\\" + full;
}

std::string Utf8FromWide(const wchar_t* wide, std::size_t length) {
  if (length == 0 || length > INT_MAX) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::string Utf8FromWide(const std::wstring& wide) { return Utf8FromWide(wide.data(), wide.size()); }
