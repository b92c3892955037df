#pragma once

#include <stdexcept>
#include <string>

namespace quillmere {

// A failure that ends a user's action. what() is a complete sentence that
// names the file or folder and the cause, ready to be shown as it stands.
class CatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace quillmere
