#pragma once
// Path pieces, behaving like their shell namesakes (PathFindFileNameW,
// PathFindExtensionW, PathRemoveExtensionW) so that the core and the Windows
// shell cut the same paths the same way. Results view into the argument.
#include <string>
#include <string_view>

// The last component: the text after the last "\", "/" or ":" that is followed
// by more text; "C:\dir\" gives "dir\".
std::u16string_view FindFileName(std::u16string_view path);
// From the last "." that no "\" or blank follows, to the end; empty when none.
std::u16string_view FindExtension(std::u16string_view path);
// The path up to its extension.
std::u16string_view RemoveExtension(std::u16string_view path);
// The path without its last component and the one separator before it.
std::u16string_view ParentFolder(std::u16string_view path);

// The program's data folder under the roaming application-data folder, or
// empty when that is no full path ("C:\..." or "\\server\..."): a failed
// lookup must never put the settings at a drive root or the working folder.
std::u16string DataFolderUnder(std::u16string_view roaming);

// Case mapping as the C runtime does it in its default "C" locale, which the
// program never leaves: only A to Z change.
char16_t AsciiLower(char16_t c);
char16_t AsciiUpper(char16_t c);
