#include "icu_converter.h"

#include "errors.h"

#include <cstring>

namespace orvani::cli {

ConverterHandle OpenConverter(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterHandle converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

void CheckIcu(UErrorCode status, std::string_view name, std::string_view what) {
    if (U_FAILURE(status)) {
        throw FilterError(name, std::string(what) + " failed: " + u_errorName(status));
    }
}

bool IsUtf8(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    const ConverterHandle converter = OpenConverter(name);
    if (!converter) {
        return false;
    }
    const char* canonical = ucnv_getName(converter.get(), &status);
    return U_SUCCESS(status) && std::strcmp(canonical, "UTF-8") == 0;
}

} // namespace orvani::cli
