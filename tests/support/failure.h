#pragma once

#include "core/catalogue_error.h"

#include <functional>
#include <string>

// The message of the CatalogueError that action ends with, or "no failure".
inline std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const quillmere::CatalogueError& error) {
        return error.what();
    }
    return "no failure";
}
