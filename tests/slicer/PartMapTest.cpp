#include "MasterPages.h"
#include "PageMap.h"
#include "PagePlan.h"
#include "PartMap.h"
#include "TestDocument.h"
#include "slicer/PartPlan.h"

namespace fk::slicer {
namespace {

std::string headingMark(int heading) {
    return R"(<text:bookmark text:name=")" + HeadingMarkName(heading) + R"("/>)";
}

std::string heading(int number, const std::string& text, const std::string& marks = "") {
    return R"(<text:h text:outline-level="1">)" + marks + headingMark(number) + text + "</text:h>";
}

class PartMapTest : public ::testing::Test {
protected:
    // The parts of a body, its page plan `plan` and the heading texts the office told.
    const PartMap& map(const std::string& body, const std::vector<PlannedPage>& plan,
                       const std::vector<std::string>& headings) {
        document_ = std::make_unique<TestDocument>(body);
        styles_.load_string(stylesXml("", R"(<style:master-page style:name="Standard"/>)").c_str());
        masterPages_ = std::make_unique<MasterPages>(styles_.document_element());
        plan_ = std::make_unique<PagePlan>(plan);
        pages_ = std::make_unique<PageMap>(document_->text(), *plan_, document_->styles(), *masterPages_,
                                           document_->facts());
        EXPECT_TRUE(pages_->issues().empty());
        parts_ = std::make_unique<PartMap>(document_->text(), headings, *plan_, *pages_, document_->facts());
        return *parts_;
    }

    // The text of the body between a part's start and end.
    std::string text(int part) {
        pugi::xml_document output;
        pugi::xml_node target = output.append_child("office:text");
        pugi::xml_node styles = output.append_child("office:automatic-styles");
        OutputStyles outputStyles(document_->styles(), styles);
        BodyRangeCopier copier(document_->facts(), outputStyles, "9");
        copier.copy(document_->text(), parts_->part(part).start, parts_->part(part).end, target);
        return allText(target);
    }
    static std::string allText(pugi::xml_node node) {
        std::string text;
        for (pugi::xml_node child : node.children())
            text += child.type() == pugi::node_pcdata ? child.value() : allText(child);
        return text;
    }

    std::unique_ptr<TestDocument> document_;
    pugi::xml_document styles_;
    std::unique_ptr<MasterPages> masterPages_;
    std::unique_ptr<PagePlan> plan_;
    std::unique_ptr<PageMap> pages_;
    std::unique_ptr<PartMap> parts_;
};

TEST_F(PartMapTest, MatterBeforeTheFirstHeadingIsAPartAndEachHeadingOpensOne) {
    // Page 1: title and chapter 1; chapter 2 starts page 2; chapter 3 in the middle of page 3.
    const PartMap& parts = map("<text:p>Title</text:p>" + heading(1, "One") + "<text:p>one</text:p>" +
                                   heading(2, "Two", mark(2)) + "<text:p>two" + mark(3) + "more</text:p>" +
                                   heading(3, "Three") + "<text:p>three</text:p>",
                               {{}, {}, {}}, {"1 One", "2 Two", "3 Three"});
    ASSERT_TRUE(parts.issues().empty());
    ASSERT_EQ(parts.partCount(), 4);
    EXPECT_EQ(parts.part(1).span.heading, "");
    EXPECT_EQ(parts.part(2).span.heading, "1 One");
    EXPECT_EQ(text(1), "Title");
    EXPECT_EQ(text(2), "Oneone");
    EXPECT_EQ(text(3), "Twotwomore");
    EXPECT_EQ(text(4), "Threethree");

    // Pages spanned, and whether a part starts or ends at a page's start.
    const auto pages = [&](int k) {
        return std::pair(parts.part(k).span.firstPage, parts.part(k).span.lastPage);
    };
    EXPECT_EQ(pages(1), std::pair(1, 1));
    EXPECT_EQ(pages(2), std::pair(1, 1)) << "the page before chapter 2 begins it is not chapter 1's";
    EXPECT_EQ(pages(3), std::pair(2, 3));
    EXPECT_EQ(pages(4), std::pair(3, 3));
    EXPECT_EQ(parts.part(1).opensPage, 1);
    EXPECT_EQ(parts.part(2).opensPage, 0) << "begins below the title";
    EXPECT_EQ(parts.part(2).endsBeforePage, 2);
    EXPECT_EQ(parts.part(3).opensPage, 2);
    EXPECT_EQ(parts.part(3).endsBeforePage, 0) << "chapter 3 begins in mid-page";
    // Objects anchored to page 3 go with the part that holds its start, chapter 2.
    EXPECT_EQ(parts.part(3).anchoredFirst, 2);
    EXPECT_EQ(parts.part(3).anchoredLast, 3);
    EXPECT_GT(parts.part(4).anchoredFirst, parts.part(4).anchoredLast);
}

TEST_F(PartMapTest, EmptyMatterBeforeTheFirstHeadingGoesWithIt) {
    const std::string fronts[] = {
        "<text:p/>",
        "<text:p>  </text:p><text:p><text:bookmark text:name=\"x\"/></text:p>",
        R"(<draw:frame text:anchor-type="page" text:anchor-page-number="2"><draw:image/></draw:frame><text:p/>)",
    };
    for (const std::string& front : fronts) {
        const PartMap& parts =
            map(front + heading(1, "One") + heading(2, "Two", mark(2)), {{}, {}}, {"One", "Two"});
        ASSERT_EQ(parts.partCount(), 2) << front;
        EXPECT_EQ(parts.part(1).span.heading, "One");
        EXPECT_EQ(parts.part(1).start, BodyPosition::startOf(document_->text())) << front;
        EXPECT_EQ(parts.part(1).opensPage, 1);
    }
    // Anything that shows makes a part of its own: a picture in the flow, a table, text in a section.
    const std::string shown[] = {
        R"(<text:p><draw:frame text:anchor-type="as-char"><draw:image/></draw:frame></text:p>)",
        R"(<table:table><table:table-row><table:table-cell/></table:table-row></table:table>)",
        "<text:section><text:p>Contents</text:p></text:section>",
    };
    for (const std::string& front : shown)
        EXPECT_EQ(map(front + heading(1, "One"), {{}}, {"One"}).partCount(), 2) << front;
}

TEST_F(PartMapTest, ADocumentWithoutHeadingsIsOnePartAndBlankPagesDoNotEndAPart) {
    EXPECT_EQ(map("<text:p>a" + mark(2) + "b</text:p>", {{}, {}}, {}).partCount(), 1);
    EXPECT_EQ(parts_->part(1).span.lastPage, 2);

    // Page 3 is a blank page the layout put before chapter 2's right-hand page.
    const PartMap& parts = map(heading(1, "One") + "<text:p>a" + mark(2) + "b</text:p>" +
                                   heading(2, "Two", mark(4)) + "<text:p>c</text:p>",
                               {{}, {}, {true, ""}, {}}, {"One", "Two"});
    ASSERT_EQ(parts.partCount(), 2);
    EXPECT_EQ(parts.part(1).span.lastPage, 2);
    EXPECT_EQ(parts.part(1).anchoredLast, 3);
    EXPECT_EQ(parts.part(2).span.firstPage, 4);
}

TEST_F(PartMapTest, HeadingMarksTheOfficeDidNotTellOfOrLostAreIssues) {
    EXPECT_FALSE(map(heading(1, "One") + heading(2, "Two"), {{}}, {"One"}).issues().empty()) << "beyond";
    EXPECT_FALSE(map(heading(1, "One") + heading(1, "Again"), {{}}, {"One"}).issues().empty()) << "twice";
    EXPECT_FALSE(map(heading(1, "One"), {{}}, {"One", "Two"}).issues().empty()) << "missing";
    EXPECT_FALSE(map(heading(2, "Two") + heading(1, "One"), {{}}, {"One", "Two"}).issues().empty())
        << "out of order";
    // A heading inside a frame cannot be cut at.
    EXPECT_FALSE(map(R"(<text:p><draw:frame text:anchor-type="paragraph"><draw:text-box>)" +
                         heading(1, "One") + "</draw:text-box></draw:frame>text</text:p>",
                     {{}}, {"One"})
                     .issues()
                     .empty());
}

}  // namespace
}  // namespace fk::slicer
