// Endnote pages, which the layout adds after the body's last page, cut into pages of their own.
#include "slicer/PackageSlicer.h"

#include "TestDocument.h"
#include "TestPackage.h"

#include <unistd.h>

namespace fk::slicer {
namespace {

namespace fs = std::filesystem;

std::string endnote(const std::string& id, const std::string& citation, const std::string& body) {
    return R"(<text:note text:id=")" + id + R"(" text:note-class="endnote"><text:note-citation>)" + citation +
           "</text:note-citation><text:note-body>" + body + "</text:note-body></text:note>";
}

std::string noteParagraph(const std::string& text) {
    return R"(<text:p text:style-name="Endnote">)" + text + "</text:p>";
}

PlannedPage endnotePage() {
    return {.pageStyle = "Endnote", .endnotes = true};
}

class EndnotePagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("fk-endnote-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Two pages of body, each with an endnote; the second note begins on the first endnote page and
    // goes on, inside its first paragraph, onto the second.
    fs::path writeInput(const std::string& noteStyles =
                            R"( text:citation-style-name="Endnote_20_Symbol")"
                            R"( text:citation-body-style-name="Endnote_20_anchor")") {
        const std::string body =
            "<text:p>" + mark(1) + "alpha" + endnote("en1", "i", noteParagraph(mark(3) + "first note")) +
            " beta</text:p><text:p>" + mark(2) + "gamma" +
            endnote(
                "en2", "ii",
                noteParagraph("second begins " + mark(4) + "second ends") + noteParagraph("second more")) +
            "</text:p>";
        const std::string styles = stylesXml(
            R"(<style:style style:name="Endnote_20_Symbol" style:family="text"/>)"
            R"(<style:style style:name="Endnote_20_anchor" style:family="text"/>)"
            R"(<text:notes-configuration text:note-class="endnote" text:master-page-name="Endnote")" +
                noteStyles + "/>",
            R"(<style:master-page style:name="Standard" style:page-layout-name="pm1"/>)"
            R"(<style:master-page style:name="Endnote" style:page-layout-name="pm2"/>)",
            R"(<style:page-layout style:name="pm1"/><style:page-layout style:name="pm2"/>)");
        const fs::path input = folder_ / "marked.odt";
        TestPackage::write(input, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                                   {"content.xml", contentXml(body)},
                                   {"styles.xml", styles}});
        return input;
    }

    static std::vector<PlannedPage> plan() { return {{}, {}, endnotePage(), endnotePage()}; }

    std::string contentOf(const PackageSlicer& slicer, int first, int last) {
        const fs::path output =
            folder_ / ("pages-" + std::to_string(first) + "-" + std::to_string(last) + ".odt");
        slicer.writePages(first, last, output);
        return TestPackage::contents(output)["content.xml"];
    }

    // The page style and number the output's first paragraph opens with, as "master/number".
    static std::string opening(const std::string& content) {
        pugi::xml_document document;
        document.load_string(content.c_str());
        const pugi::xml_node root = document.document_element();
        const pugi::xml_node first =
            root.child("office:body").child("office:text").find_child([](pugi::xml_node node) {
                return odf::isParagraph(node);
            });
        const pugi::xml_node style =
            root.child("office:automatic-styles")
                .find_child_by_attribute("style:name", first.attribute("text:style-name").value());
        return std::string(style.attribute("style:master-page-name").value()) + "/" +
               style.child("style:paragraph-properties").attribute("style:page-number").value();
    }

    fs::path folder_;
};

TEST_F(EndnotePagesTest, EachEndnotePageHoldsTheNoteTextItShowsAndTheBodyOnlyCitations) {
    const PackageSlicer slicer(writeInput(), plan());
    ASSERT_TRUE(slicer.issues().empty()) << slicer.issues().front().what;
    EXPECT_EQ(slicer.pageCount(), 4);

    const std::string first = contentOf(slicer, 1, 1);
    EXPECT_NE(first.find(R"(alpha<text:span text:style-name="Endnote_20_anchor">i</text:span> beta)"),
              std::string::npos)
        << first;
    EXPECT_EQ(first.find("text:note"), std::string::npos) << "an endnote left in the body adds its pages";
    EXPECT_EQ(first.find("first note"), std::string::npos);
    EXPECT_NE(
        contentOf(slicer, 2, 2).find(R"(gamma<text:span text:style-name="Endnote_20_anchor">ii</text:span>)"),
        std::string::npos);

    const std::string notes3 = contentOf(slicer, 3, 3);
    EXPECT_NE(
        notes3.find(R"(<text:span text:style-name="Endnote_20_Symbol">i</text:span><text:tab/>first note)"),
        std::string::npos)
        << notes3;
    EXPECT_NE(notes3.find(
                  R"(<text:span text:style-name="Endnote_20_Symbol">ii</text:span><text:tab/>second begins)"),
              std::string::npos)
        << notes3;
    EXPECT_EQ(notes3.find("second ends"), std::string::npos) << notes3;
    EXPECT_EQ(opening(notes3), "Endnote/3");

    const std::string notes4 = contentOf(slicer, 4, 4);
    EXPECT_NE(notes4.find("second ends"), std::string::npos) << notes4;
    EXPECT_NE(notes4.find("second more"), std::string::npos) << notes4;
    EXPECT_EQ(notes4.find("begins"), std::string::npos) << notes4;
    EXPECT_EQ(notes4.find(">ii<"), std::string::npos) << "a note's continuation shows no citation";
    EXPECT_EQ(opening(notes4), "Endnote/4");

    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(contentOf(slicer, page, page).find(std::string(kPageMarkPrefix)), std::string::npos)
            << page;
}

TEST_F(EndnotePagesTest, RangeOverBodyAndEndnotePagesStartsTheEndnotesOnTheirOwnPageStyle) {
    const PackageSlicer slicer(writeInput(), plan());
    const std::string content = contentOf(slicer, 2, 4);
    EXPECT_NE(content.find("gamma"), std::string::npos);
    EXPECT_EQ(content.find("alpha"), std::string::npos);
    EXPECT_EQ(content.find("text:note"), std::string::npos);
    const std::size_t notes = content.find("first note");
    ASSERT_NE(notes, std::string::npos);
    EXPECT_LT(content.find("gamma"), notes);
    EXPECT_NE(content.find("second ends"), std::string::npos);
    EXPECT_NE(content.find(R"(style:master-page-name="Endnote")"), std::string::npos) << content;
}

TEST_F(EndnotePagesTest, CitationWithoutANamedStyleIsRaisedAsTheOfficeShowsIt) {
    const PackageSlicer slicer(writeInput(""), plan());
    const std::string content = contentOf(slicer, 1, 1);
    EXPECT_NE(content.find(R"(style:text-position="super 58%")"), std::string::npos) << content;
    EXPECT_EQ(content.find("Endnote_20_anchor"), std::string::npos);
}

TEST_F(EndnotePagesTest, PlanThatTheEndnotesDoNotBearOutIsNotUnderstood) {
    // One endnote page more than the notes carry marks for.
    std::vector<PlannedPage> tooMany = plan();
    tooMany.push_back(endnotePage());
    EXPECT_FALSE(PackageSlicer(writeInput(), tooMany).issues().empty());
    // An endnote page among the body's.
    EXPECT_FALSE(PackageSlicer(writeInput(), {{}, endnotePage(), {}, endnotePage()}).issues().empty());
}

TEST_F(EndnotePagesTest, EndnotePageThePlanAlsoCallsBlankIsWrittenAsAnEndnotePage) {
    std::vector<PlannedPage> blankToo = plan();
    blankToo[3].blank = true;
    const PackageSlicer slicer(writeInput(), blankToo);
    EXPECT_NE(contentOf(slicer, 4, 4).find("second ends"), std::string::npos);
}

TEST_F(EndnotePagesTest, WithoutEndnotePagesInThePlanEndnotesStayInTheBody) {
    // An office that did not mark the endnote pages: the document is cut as before, the notes kept.
    const PackageSlicer slicer(writeInput(), {{}, {}});
    EXPECT_NE(contentOf(slicer, 1, 1).find("text:note"), std::string::npos);
}

}  // namespace
}  // namespace fk::slicer
