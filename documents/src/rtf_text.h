#pragma once

#include "rtf_code_pages.h"

#include <string>
#include <string_view>

namespace orvani::documents {

// How text is written into RTF: printable ASCII as it is (\, { and } escaped), every other
// character as \uN followed by `skip` fallback characters (\ucN) for readers without Unicode:
// the character in `codePage` where it has one byte there, else its base letter, else "?".
//
//     AppendRtfText("xí", 1252, 1, pages, out) appends "x\u237\'ed"
void AppendRtfText(std::string_view utf8, int codePage, int skip, RtfCodePages& pages,
                   std::string& out);

} // namespace orvani::documents
