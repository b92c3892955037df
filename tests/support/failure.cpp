#include "tests/support/failure.h"

#include "core/catalogue_error.h"

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const quillmere::CatalogueError& error) {
        return error.what();
    }
    return "no failure";
}
