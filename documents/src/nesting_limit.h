#pragma once

#include <cstddef>

namespace orvani::documents {

// The deepest that elements may nest in a part or a page. Each open element keeps some state
// (a paragraph's converter, a font, its role), so a small hostile file nesting a million
// levels would take gigabytes. Real documents nest a few dozen levels; libxml2, which
// LibreOffice reads XML with, stops at 256 unless told otherwise, and browsers' XML parsers
// at 5,000, which is taken here.
inline constexpr std::size_t kDeepestNesting = 5000;

} // namespace orvani::documents
