#include "slicer/MarkNames.h"

#include <charconv>

namespace fk::slicer {

namespace {

std::string Numbered(std::string_view prefix, int number) {
    std::string digits = std::to_string(number);
    if (digits.size() < static_cast<std::size_t>(kPageNumberDigits))
        digits.insert(0, static_cast<std::size_t>(kPageNumberDigits) - digits.size(), '0');
    return std::string(prefix) + digits;
}

// The positive number that makes up all of `digits`, or 0.
int WholeNumber(std::string_view digits) {
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number <= 0) return 0;
    return number;
}

// The number of a name Numbered(prefix, n) makes, or 0. Only the exact spelling we write is ours:
// "…_02" or "…_0002 copy" were made by someone else.
int NumberOf(std::string_view prefix, std::string_view name) {
    if (!name.starts_with(prefix)) return 0;
    const int number = WholeNumber(name.substr(prefix.size()));
    return number > 0 && Numbered(prefix, number) == name ? number : 0;
}

}  // namespace

std::string PageMarkName(int page) {
    return Numbered(kPageMarkPrefix, page);
}

int PageOfMark(std::string_view bookmarkName) {
    return NumberOf(kPageMarkPrefix, bookmarkName);
}

std::string CellMarkName(int page, int cell) {
    return PageMarkName(page) + std::string(kCellMarkInfix) + std::to_string(cell);
}

namespace {

// The page of a mark made as PageMarkName(page) + infix + number, or 0.
int PageOfInfixedMark(std::string_view bookmarkName, std::string_view infixText) {
    const std::size_t infix = bookmarkName.find(infixText);
    if (infix == std::string_view::npos) return 0;
    const int page = PageOfMark(bookmarkName.substr(0, infix));
    const int number = WholeNumber(bookmarkName.substr(infix + infixText.size()));
    if (page == 0 || number == 0) return 0;
    return PageMarkName(page) + std::string(infixText) + std::to_string(number) == bookmarkName ? page : 0;
}

}  // namespace

int PageOfCellMark(std::string_view bookmarkName) {
    return PageOfInfixedMark(bookmarkName, kCellMarkInfix);
}

std::string NoteMarkName(int page, int note) {
    return PageMarkName(page) + std::string(kNoteMarkInfix) + std::to_string(note);
}

int PageOfNoteMark(std::string_view bookmarkName) {
    return PageOfInfixedMark(bookmarkName, kNoteMarkInfix);
}

std::string HeadingMarkName(int heading) {
    return Numbered(kHeadingMarkPrefix, heading);
}

int HeadingOfMark(std::string_view bookmarkName) {
    return NumberOf(kHeadingMarkPrefix, bookmarkName);
}

bool IsOurMark(std::string_view bookmarkName) {
    return PageOfMark(bookmarkName) > 0 || PageOfCellMark(bookmarkName) > 0 ||
           PageOfNoteMark(bookmarkName) > 0 || HeadingOfMark(bookmarkName) > 0;
}

}  // namespace fk::slicer
