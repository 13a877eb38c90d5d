#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace fk {

// A printed page as a small grey bitmap, row by row, 0 black to 255 paper.
struct GrayPage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Pages are compared at this resolution: a line of text is a grey band, so layout shows more than
// letters, and a page renders in milliseconds.
inline constexpr int kLikenessDpi = 40;
// Darker than this is ink: where a quarter-pixel shift of the same page still scores high.
inline constexpr int kInkThreshold = 160;
// An output page at least this alike to its input page counts as faithful. The same page rendered a
// fraction of a pixel off scores about 0.96, another page of text in the same layout about 0.6.
inline constexpr double kFaithfulLikeness = 0.9;

// How alike two printed pages look, 0 to 1: the ink of each that lies within one pixel of the other's
// ink, over the ink of both. Pages of different sizes are padded with paper; two blank pages are 1.
// The fidelity benchmark (bench/fidelity.py) scores its "look" the same way.
double PageLikeness(const GrayPage& a, const GrayPage& b);

// What checking one output against the input's printed pages found.
struct PageVerdict {
    int number = 0;     // the output's number, NAME_0003 -> 3
    QString output;     // its path
    int firstPage = 0;  // the input's pages it should print, first to last
    int lastPage = 0;
    int printedPages = 0;   // the pages the output prints as
    double similarity = 0;  // the least likeness of its pages to the input's
    QString problem;        // what is wrong, in words; empty when the output is faithful

    bool faithful() const { return problem.isEmpty(); }
};

// Judges one output, printed as `printed`, against the input's printed pages first to last (1-based).
// Faithful: as many printed pages as it should have, each at least kFaithfulLikeness alike.
PageVerdict JudgePrintedOutput(const std::vector<GrayPage>& input, int firstPage, int lastPage,
                               const std::vector<GrayPage>& printed);

}  // namespace fk
