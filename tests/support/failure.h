#pragma once

#include <functional>
#include <string>

// The message of the CatalogueError that action ends with, or "no failure".
std::string failureOf(const std::function<void()>& action);
