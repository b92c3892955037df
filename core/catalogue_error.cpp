#include "core/catalogue_error.h"

#include <cctype>

namespace quillmere {

Sentence& Sentence::name(std::string_view name) {
    parts_.push_back({std::string(name), true});
    return *this;
}

Sentence& Sentence::words(std::string_view words) {
    if (parts_.back().isName) {
        parts_.push_back({{}, false});
    }
    parts_.back().text += words;
    return *this;
}

Sentence& Sentence::withoutLast() {
    if (!parts_.back().isName && !parts_.back().text.empty()) {
        parts_.back().text.pop_back();
    }
    return *this;
}

Sentence& Sentence::append(const Sentence& more) {
    for (const Part& part : more.parts_) {
        part.isName ? name(part.text) : words(part.text);
    }
    return *this;
}

std::string Sentence::text() const {
    std::string text;
    for (const Part& part : parts_) {
        text += part.isName ? '"' + part.text + '"' : part.text;
    }
    return text;
}

std::string causeOf(const std::error_code& error) {
    std::string cause = error.message();
    if (!cause.empty()) {
        cause.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(cause.front())));
    }
    return cause;
}

}  // namespace quillmere
