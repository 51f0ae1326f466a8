#pragma once
// What the multiple-selection file dialog leaves in its buffer.
#include <string>
#include <string_view>
#include <vector>

// One full path followed by an empty text is one file; otherwise the first
// text is a folder and each following text, up to an empty one, a file name
// in it. The buffer may end without the closing zeros (it was full).
std::vector<std::u16string> ParsePickedFiles(std::u16string_view buffer);
