#include "errors.h"

#include <cstring>

namespace orvani::cli {

FilterError SystemError(std::string_view name, int errnoValue) {
    return FilterError(name, std::strerror(errnoValue));
}

} // namespace orvani::cli
