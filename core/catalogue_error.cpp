#include "core/catalogue_error.h"

#include <cctype>

namespace quillmere {

std::string causeOf(const std::error_code& error) {
    std::string cause = error.message();
    if (!cause.empty()) {
        cause.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(cause.front())));
    }
    return cause;
}

}  // namespace quillmere
