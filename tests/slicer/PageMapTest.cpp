#include "MasterPages.h"
#include "PageMap.h"
#include "PagePlan.h"
#include "TestDocument.h"

namespace fk::slicer {
namespace {

const std::string kMasterPages =
    R"(<style:master-page style:name="Standard" style:page-layout-name="pm1"/>)"
    R"(<style:master-page style:name="First_20_Page" style:display-name="First Page" style:next-style-name="Standard"/>)"
    R"(<style:master-page style:name="Left_20_Page" style:display-name="Left Page" style:next-style-name="Right_20_Page" style:page-layout-name="pm2"/>)"
    R"(<style:master-page style:name="Right_20_Page" style:display-name="Right Page" style:next-style-name="Left_20_Page"/>)"
    R"(<style:master-page style:name="Wide_5f_Cover"/>)";

class PageMapTest : public ::testing::Test {
protected:
    PageMap map(const std::string& body, const std::vector<PlannedPage>& plan,
                const std::string& automaticStyles = "") {
        document_ = std::make_unique<TestDocument>(body, automaticStyles);
        styles_.load_string(stylesXml("", kMasterPages).c_str());
        masterPages_ = std::make_unique<MasterPages>(styles_.document_element());
        return PageMap(document_->text(), PagePlan(plan), document_->styles(), *masterPages_,
                       document_->facts());
    }

    std::unique_ptr<TestDocument> document_;
    pugi::xml_document styles_;
    std::unique_ptr<MasterPages> masterPages_;
};

TEST_F(PageMapTest, MasterPagesAreFoundByTheNamesTheOfficeReports) {
    pugi::xml_document styles;
    styles.load_string(stylesXml("", kMasterPages).c_str());
    const MasterPages pages(styles.document_element());
    EXPECT_EQ(pages.resolve("Left Page"), "Left_20_Page");
    EXPECT_EQ(pages.resolve("Standard"), "Standard");
    EXPECT_EQ(pages.resolve("Wide_Cover"), "Wide_5f_Cover");
    EXPECT_EQ(pages.resolve("Landscape"), "");
    EXPECT_EQ(pages.resolve(""), "");
    EXPECT_EQ(pages.next("Left_20_Page"), "Right_20_Page");
    EXPECT_EQ(pages.next("Standard"), "Standard");
    EXPECT_EQ(pages.initial(), "Standard");
    EXPECT_EQ(pages.layoutOf("Left_20_Page"), "pm2");
    EXPECT_EQ(pages.layoutOf("Left Page"), "") << "by the name the body uses, not the one the office reports";
    EXPECT_EQ(pages.layoutOf("First_20_Page"), "");
    EXPECT_EQ(MasterPages::decodeName("A_20_b_e9__4e2d_"), "A b\xC3\xA9\xE4\xB8\xAD");
    EXPECT_EQ(MasterPages::decodeName("plain_name_"), "plain_name_");
}

TEST_F(PageMapTest, PagesCountOnUnlessAPageStartSetsItsNumber) {
    const std::string styles =
        R"(<style:style style:name="P1" style:family="paragraph" style:master-page-name="Left_20_Page">)"
        R"(<style:paragraph-properties style:page-number="10"/></style:style>)"
        R"(<style:style style:name="P2" style:family="paragraph"><style:paragraph-properties style:page-number="auto"/>)"
        R"(</style:style>)";
    const PageMap pages = map("<text:p>a" + mark(2) + "b</text:p><text:p text:style-name=\"P1\">" + mark(3) +
                                  "c</text:p><text:p text:style-name=\"P2\">" + mark(5) + "d</text:p>",
                              {{}, {}, {}, {true, ""}, {}}, styles);
    EXPECT_TRUE(pages.issues().empty());
    std::vector<int> shown;
    std::vector<std::string> masters;
    for (int page = 1; page <= pages.pageCount(); ++page) {
        shown.push_back(pages.shownNumber(page));
        masters.push_back(pages.masterPage(page));
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 10, 11, 12}));
    EXPECT_EQ(masters, (std::vector<std::string>{"Standard", "Standard", "Left_20_Page", "Right_20_Page",
                                                 "Left_20_Page"}));
    EXPECT_EQ(pages.startOf(4), pages.startOf(5));
}

TEST_F(PageMapTest, PlannedPageStyleWinsOverTheBody) {
    const PageMap pages =
        map("<text:p>a</text:p><text:p>" + mark(2) + "b</text:p>", {{false, "First Page"}, {}});
    EXPECT_EQ(pages.masterPage(1), "First_20_Page");
    EXPECT_EQ(pages.masterPage(2), "Standard");
}

TEST_F(PageMapTest, OnlyTheFirstPageAndPagesAfterABreakShowTheSpaceAboveTheirFirstBlock) {
    const std::string styles =
        R"(<style:style style:name="Before" style:family="paragraph">)"
        R"(<style:paragraph-properties fo:break-before="page"/></style:style>)"
        R"(<style:style style:name="After" style:family="paragraph">)"
        R"(<style:paragraph-properties fo:break-after="page"/></style:style>)"
        R"(<style:style style:name="Styled" style:family="paragraph" style:master-page-name="Left_20_Page"/>)"
        R"(<style:style style:name="TableAfter" style:family="table">)"
        R"(<style:table-properties fo:break-after="page"/></style:style>)";
    const std::string table =
        R"(<table:table table:style-name="TableAfter"><table:table-row><table:table-cell>)"
        "<text:p>t</text:p></table:table-cell></table:table-row></table:table>";
    const PageMap pages =
        map("<text:p>a</text:p><text:p>" + mark(2) + "flowed</text:p>" +
                R"(<text:p text:style-name="Before">)" + mark(3) + "broken</text:p>" +
                R"(<text:list><text:list-item><text:p text:style-name="After">x</text:p>)" +
                "</text:list-item></text:list><text:p>" + mark(4) + "after</text:p>" +
                R"(<text:p text:style-name="Styled">)" + mark(5) + "styled</text:p>" + table +
                "<text:section><text:p>" + mark(6) + "in section</text:p></text:section>",
            {{}, {}, {}, {}, {}, {}}, styles);
    EXPECT_TRUE(pages.issues().empty());
    std::vector<bool> spaceAbove;
    for (int page = 1; page <= pages.pageCount(); ++page) spaceAbove.push_back(pages.showsSpaceAbove(page));
    EXPECT_EQ(spaceAbove, (std::vector<bool>{true, false, true, true, true, true}));
}

TEST_F(PageMapTest, MissingDuplicatedAndStrayMarksAreReported) {
    const PageMap pages =
        map("<text:p>a" + mark(3) + "b" + mark(3) + "c" + mark(7) + "</text:p>", {{}, {}, {}});
    ASSERT_EQ(pages.issues().size(), 3u);
    EXPECT_EQ(pages.issues()[0].page, 3);
    EXPECT_EQ(pages.issues()[0].what, "the page mark appears twice");
    EXPECT_EQ(pages.issues()[1].page, 7);
    EXPECT_EQ(pages.issues()[2].page, 2);
    EXPECT_EQ(pages.issues()[2].what, "the page has no mark in the body");
}

TEST_F(PageMapTest, MarksOutOfOrderAreReported) {
    const PageMap pages = map("<text:p>a" + mark(3) + "b" + mark(2) + "c</text:p>", {{}, {}, {}});
    ASSERT_EQ(pages.issues().size(), 1u);
    EXPECT_EQ(pages.issues()[0].what, "the page marks are out of order");
}

}  // namespace
}  // namespace fk::slicer
