#include "slicer/MarkNames.h"

#include <gtest/gtest.h>

namespace fk::slicer {
namespace {

// What each reader makes of a name: the page, the cell's page, the heading.
struct Reading {
    int page = 0;
    int cellPage = 0;
    int heading = 0;
    int notePage = 0;
    bool operator==(const Reading&) const = default;
};

Reading Read(const std::string& name) {
    return {PageOfMark(name), PageOfCellMark(name), HeadingOfMark(name), PageOfNoteMark(name)};
}

TEST(MarkNamesTest, NamesArePaddedToFourDigitsAndReadBackByTheirOwnReaderOnly) {
    const struct {
        std::string name;
        std::string spelled;
        Reading reading;
    } cases[] = {
        {PageMarkName(2), "__folioknife_page_0002", {.page = 2}},
        {PageMarkName(12345), "__folioknife_page_12345", {.page = 12345}},
        {CellMarkName(5, 3), "__folioknife_page_0005_cell_3", {.cellPage = 5}},
        {CellMarkName(12345, 100), "__folioknife_page_12345_cell_100", {.cellPage = 12345}},
        {NoteMarkName(7, 2), "__folioknife_page_0007_note_2", {.notePage = 7}},
        {HeadingMarkName(3), "__folioknife_heading_0003", {.heading = 3}},
        {HeadingMarkName(12345), "__folioknife_heading_12345", {.heading = 12345}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.name, c.spelled);
        EXPECT_EQ(Read(c.name), c.reading) << c.name;
        EXPECT_TRUE(IsOurMark(c.name)) << c.name;
    }
    for (const int page : {1, 9, 10, 999, 10000}) EXPECT_EQ(PageOfMark(PageMarkName(page)), page);
}

TEST(MarkNamesTest, OnlyTheExactSpellingWeWriteIsOurs) {
    for (const char* name : {"",
                             "Bookmark 1",
                             "Chapter 3",
                             "Bookmark_cell_3",
                             "__folioknife_page_",
                             "__folioknife_page_02",
                             "__folioknife_page_0000",
                             "__folioknife_page_0002 copy",
                             "__folioknife_page_-001",
                             "x__folioknife_page_0002",
                             "__folioknife_page_0005_cell_",
                             "__folioknife_page_0005_cell_0",
                             "__folioknife_page_0005_cell_03",
                             "__folioknife_page_05_cell_3",
                             "__folioknife_page_0005_cell_3x",
                             "__folioknife_page_0005_note_0",
                             "__folioknife_page_05_note_1",
                             "__folioknife_page_0005_note_1_cell_1",
                             "__folioknife_heading_03",
                             "__folioknife_heading_0003 copy",
                             "__folioknife_heading_0000",
                             "__folioknife_heading_-001",
                             "__folioknife_heading_0003_cell_1"}) {
        EXPECT_EQ(Read(name), Reading{}) << name;
        EXPECT_FALSE(IsOurMark(name)) << name;
    }
}

}  // namespace
}  // namespace fk::slicer
