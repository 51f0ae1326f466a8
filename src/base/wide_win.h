#pragma once
// wchar_t is a UTF-16 code unit on Windows, so core strings pass by cast.
#include <windows.h>

#include <string>

inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string U16(const wchar_t* s) {
  return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}
