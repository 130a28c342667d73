#include "icu_converter.h"

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

bool IsUtf8(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    const ConverterHandle converter = OpenConverter(name);
    return converter && std::strcmp(ucnv_getName(converter.get(), &status), "UTF-8") == 0;
}

} // namespace orvani::cli
