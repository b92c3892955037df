#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quillmere {

// A sentence told to the user: the program's own words, and between them the
// names from outside (a file, a folder) that it quotes. Kept apart, a name
// can be shown so that it cannot pass for the words around it.
class Sentence {
public:
    struct Part {
        std::string text;
        bool isName;
    };

    Sentence(std::string words) : parts_{{std::move(words), false}} {}
    Sentence(const char* words) : Sentence(std::string(words)) {}

    Sentence& name(std::string_view name);
    Sentence& words(std::string_view words);
    // Leaves out the words' last character, for more words before it.
    Sentence& withoutLast();
    Sentence& append(const Sentence& more);

    const std::vector<Part>& parts() const { return parts_; }
    // The names in plain double quotes, as a terminal shows it.
    std::string text() const;

private:
    std::vector<Part> parts_;
};

// A failure that ends a user's action. what() is a complete sentence that
// names the file or folder and the cause, ready to be shown as it stands;
// sentence() keeps its names apart.
class CatalogueError : public std::runtime_error {
public:
    explicit CatalogueError(const std::string& words) : CatalogueError(Sentence(words)) {}
    explicit CatalogueError(const char* words) : CatalogueError(Sentence(words)) {}
    explicit CatalogueError(Sentence sentence)
        : std::runtime_error(sentence.text()), sentence_(std::move(sentence)) {}

    const Sentence& sentence() const { return sentence_; }

private:
    Sentence sentence_;
};

// A system error as the cause within such a sentence: "no such file or
// directory".
std::string causeOf(const std::error_code& error);

}  // namespace quillmere
