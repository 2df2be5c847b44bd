#pragma once
// UTF-8 <-> UTF-16 conversion. Invalid input never throws: ill-formed
// sequences become U+FFFD, so text from the network or from a page is safe.
#include <string>
#include <string_view>

namespace zv {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace zv
