#include <gtest/gtest.h>

#include "FakePrintedPages.h"
#include "split/OfficePrintedPages.h"
#include "split/PageLikeness.h"

using namespace fk;
using fk::test::PageWithInkAt;

namespace {

// A page of text lines, as a line of text looks at 40 dpi: a grey band, here black for clarity.
GrayPage Lines(std::initializer_list<int> tops, int width = 60, int height = 80, int shiftX = 0) {
    GrayPage page{width, height, std::vector<std::uint8_t>(std::size_t(width) * height, 255)};
    for (int top : tops)
        for (int y = top; y < top + 2 && y < height; ++y)
            for (int x = 5 + shiftX; x < 50 + shiftX && x < width; ++x) page.pixels[y * width + x] = 60;
    return page;
}

}  // namespace

TEST(PageLikeness, ScoresLayoutWithAPixelOfTolerance) {
    const struct {
        const char* name;
        GrayPage a, b;
        double low, high;
    } cases[] = {
        {"the same page", Lines({10, 20, 30}), Lines({10, 20, 30}), 1.0, 1.0},
        {"a pixel off", Lines({10, 20, 30}), Lines({11, 21, 31}, 60, 80, 1), 1.0, 1.0},
        {"lines three pixels lower", Lines({10, 20, 30}), Lines({13, 23, 33}), 0.0, 0.05},
        {"one line of three missing", Lines({10, 20, 30}), Lines({10, 20}), 0.75, 0.85},
        {"two blank pages", Lines({}), Lines({}), 1.0, 1.0},
        {"blank against ink", Lines({}), Lines({10}), 0.0, 0.0},
        {"a smaller bitmap is padded with paper", Lines({10, 20}), Lines({10, 20}, 55, 70), 1.0, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const double likeness = PageLikeness(c.a, c.b);
        EXPECT_GE(likeness, c.low);
        EXPECT_LE(likeness, c.high);
        EXPECT_DOUBLE_EQ(likeness, PageLikeness(c.b, c.a)) << "symmetric";
    }
}

TEST(PageLikeness, AnOutputIsFaithfulWhenItPrintsItsPagesAndEachLooksAlike) {
    const std::vector<GrayPage> input{PageWithInkAt(0), PageWithInkAt(1), PageWithInkAt(2),
                                      PageWithInkAt(-1)};
    const struct {
        const char* name;
        int first, last;
        std::vector<GrayPage> printed;
        int printedPages;
        double similarity;
        QString problem;  // its start; empty: faithful
    } cases[] = {
        {"its page", 2, 2, {PageWithInkAt(1)}, 1, 1.0, {}},
        {"its page a pixel off", 2, 2, {PageWithInkAt(1, 1)}, 1, 1.0, {}},
        {"a run of pages", 1, 2, {PageWithInkAt(0), PageWithInkAt(1)}, 2, 1.0, {}},
        {"another page",
         2,
         2,
         {PageWithInkAt(0)},
         1,
         0.0,
         "does not look like page 2 of the input (likeness 0.00"},
        {"prints as two",
         3,
         3,
         {PageWithInkAt(2), PageWithInkAt(-1)},
         2,
         1.0,
         "prints as 2 pages, not 1 page"},
        {"prints nothing", 1, 1, {}, 0, 0.0, "prints as 0 pages, not 1 page"},
        {"a run with one page wrong",
         1,
         2,
         {PageWithInkAt(0), PageWithInkAt(3)},
         2,
         0.0,
         "does not look like page 2"},
        {"beyond the input's pages",
         5,
         5,
         {PageWithInkAt(-1)},
         1,
         0.0,
         "the input prints no page 5 (it prints 4 pages)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PageVerdict verdict = JudgePrintedOutput(input, c.first, c.last, c.printed);
        EXPECT_EQ(verdict.printedPages, c.printedPages);
        EXPECT_DOUBLE_EQ(verdict.similarity, c.similarity);
        EXPECT_TRUE(verdict.problem.startsWith(c.problem)) << verdict.problem.toStdString();
        EXPECT_EQ(verdict.faithful(), c.problem.isEmpty());
    }
}

TEST(PageLikeness, GreyMapsAreReadOnlyWhenWhole) {
    const QByteArray pixels("\x00\x80\xff\x10\x20\x30", 6);
    const struct {
        const char* name;
        QByteArray bytes;
        bool read;
    } cases[] = {
        {"as pdftoppm writes it", "P5\n3 2\n255\n" + pixels, true},
        {"cut short", "P5\n3 2\n255\n" + pixels.left(5), false},
        {"two bytes a pixel", "P5\n3 2\n65535\n" + pixels + pixels, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<GrayPage> page = OfficePrintedPages::readGrayMap(c.bytes);
        ASSERT_EQ(page.has_value(), c.read);
        if (!page) continue;
        EXPECT_EQ(page->width, 3);
        EXPECT_EQ(page->height, 2);
        EXPECT_EQ(page->pixels, std::vector<std::uint8_t>(pixels.begin(), pixels.end()));
    }
}
