#pragma once
// UTF-8 <-> UTF-16 conversion. Ill-formed input is replaced with U+FFFD, the way
// Windows converts with flags 0, so a conversion never fails.
#include <string>
#include <string_view>

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);

// Convenience for literals and ASCII-only text in the core.
std::u16string AsciiToUtf16(std::string_view ascii);
