#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace quillmere {

// A failure that ends a user's action. what() is a complete sentence that
// names the file or folder and the cause, ready to be shown as it stands.
class CatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A system error as the cause within such a sentence: "no such file or
// directory".
std::string causeOf(const std::error_code& error);

}  // namespace quillmere
