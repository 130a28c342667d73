#include "cases.h"

#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace orvani {
namespace {

using namespace orvani::testing;

// ICU holds that every character the UTF-8 road passes over (TellsWhereNfcMightChangeTheText)
// is unchanged by NFC and composes with nothing before it, so that text with none of the others
// is its own NFC.
TEST(Utf8Road, PassesOverOnlyWhatNfcLeavesAlone) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    ASSERT_TRUE(U_SUCCESS(status));
    for (char32_t c = 0; c < 0x110000; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || RoadSaysNfcMayChange(c)) {
            continue;
        }
        const auto uc = static_cast<UChar32>(c);
        ASSERT_TRUE(nfc->hasBoundaryBefore(uc) &&
                    nfc->quickCheck(icu::UnicodeString(uc), status) == UNORM_YES)
            << "U+" << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_TRUE(U_SUCCESS(status));
}

} // namespace
} // namespace orvani
