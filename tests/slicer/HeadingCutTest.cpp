#include "slicer/PackageSlicer.h"

#include "TestDocument.h"
#include "TestPackage.h"

#include <unistd.h>

namespace fk::slicer {
namespace {

namespace fs = std::filesystem;

std::string headingMark(int heading) {
    return R"(<text:bookmark text:name=")" + HeadingMarkName(heading) + R"("/>)";
}

std::string footnote(const std::string& text) {
    return R"(<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation>)"
           "<text:note-body><text:p>" +
           text + "</text:p></text:note-body></text:note>";
}

const std::string kHeadingStyles =
    R"(<style:style style:name="Heading_20_1" style:family="paragraph" style:default-outline-level="1"/>)"
    R"(<text:outline-style style:name="Outline"><text:outline-level-style text:level="1" style:num-format="1"/>)"
    R"(</text:outline-style>)";

// Page 1: a title and chapter 1, which runs onto page 2 where chapter 2 begins in mid-page and runs
// onto page 3; pages 2 and 3 carry a frame anchored to them; chapter 3 opens page 4 in the "Chapter"
// style.
class HeadingCutTest : public ::testing::Test {
protected:
    HeadingCutTest() {
        folder_ =
            fs::temp_directory_path() / ("fk-parts-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const std::string body =
            R"(<draw:frame text:anchor-type="page" text:anchor-page-number="2"><draw:text-box><text:p>early)"
            R"(</text:p></draw:text-box></draw:frame>)"
            R"(<draw:frame text:anchor-type="page" text:anchor-page-number="3"><draw:text-box><text:p>boxed)"
            R"(</text:p></draw:text-box></draw:frame>)"
            R"(<text:p>Title</text:p><text:h text:style-name="Heading_20_1" text:outline-level="1">)" +
            headingMark(1) + "One</text:h><text:p>a" + footnote("first") + mark(2) +
            R"(b</text:p><text:h text:style-name="Heading_20_1" text:outline-level="1">)" + headingMark(2) +
            "Two</text:h><text:p>c" + footnote("second") + mark(3) +
            R"(d</text:p><text:h text:style-name="Chapter" text:outline-level="1">)" + mark(4) +
            headingMark(3) + "Three</text:h><text:p>e</text:p>";
        const std::string automatic =
            R"(<style:style style:name="Chapter" style:family="paragraph" style:parent-style-name="Heading_20_1")"
            R"( style:master-page-name="Chapter"/>)";
        TestPackage::write(
            input(),
            {{"mimetype", "application/vnd.oasis.opendocument.text"},
             {"content.xml", contentXml(body, automatic)},
             {"styles.xml", stylesXml(kHeadingStyles, R"(<style:master-page style:name="Standard"/>)"
                                                      R"(<style:master-page style:name="Chapter"/>)")},
             {"META-INF/manifest.xml",
              manifestXml({{"content.xml", "text/xml"}, {"styles.xml", "text/xml"}})}});
    }
    ~HeadingCutTest() override { fs::remove_all(folder_); }

    fs::path input() const { return folder_ / "marked.odt"; }
    fs::path output(int k) const { return folder_ / ("part" + std::to_string(k) + ".odt"); }

    static std::vector<PlannedPage> plan() {
        return {{false, "Standard"}, {false, "Standard"}, {false, "Standard"}, {false, "Chapter"}};
    }
    PackageSlicer slicer() const {
        return PackageSlicer(input(), plan(), std::vector<std::string>{"1 One", "2 Two", "3 Three"});
    }

    // The written part's content and styles, parsed.
    struct Written {
        pugi::xml_document content, styles;
        pugi::xml_node text() const {
            return content.document_element().child("office:body").child("office:text");
        }
        pugi::xml_node automaticStyle(const char* name) const {
            return content.document_element()
                .child("office:automatic-styles")
                .find_child_by_attribute("style:name", name);
        }
    };
    std::unique_ptr<Written> written(int k) const {
        auto parsed = std::make_unique<Written>();
        const auto entries = TestPackage::contents(output(k));
        parsed->content.load_string(entries.at("content.xml").c_str(),
                                    pugi::parse_default | pugi::parse_ws_pcdata);
        parsed->styles.load_string(entries.at("styles.xml").c_str());
        return parsed;
    }

    fs::path folder_;
};

TEST_F(HeadingCutTest, EachPartOpensOnItsHeadingsPageStyleAndNumberWithNumbersGoingOn) {
    const PackageSlicer parts = slicer();
    ASSERT_TRUE(parts.issues().empty()) << parts.issues().front().what;
    ASSERT_EQ(parts.partCount(), 4);
    for (int k = 1; k <= 4; ++k) parts.writePart(k, output(k));

    // Chapter 2, which begins in mid-page 2: a fresh page in page 2's style, showing number 2.
    const auto two = written(3);
    const pugi::xml_node heading = two->text().child("text:h");
    ASSERT_TRUE(heading);
    EXPECT_EQ(std::string(heading.text().get()), "Two");
    EXPECT_STREQ(heading.attribute("text:start-value").value(), "2") << "its number goes on";
    const pugi::xml_node style = two->automaticStyle(heading.attribute("text:style-name").value());
    EXPECT_STREQ(style.attribute("style:master-page-name").value(), "Standard");
    EXPECT_STREQ(style.child("style:paragraph-properties").attribute("style:page-number").value(), "2");
    // One footnote came before it.
    EXPECT_STREQ(two->styles.document_element()
                     .child("office:styles")
                     .find_child_by_attribute("text:notes-configuration", "text:note-class", "footnote")
                     .attribute("text:start-value")
                     .value(),
                 "1");
    // Page 3 begins in chapter 2: its frame is on the part's second page. Page 2 begins in chapter 1,
    // and its frame stays there, on that part's second page.
    const pugi::xml_node frame = two->text().child("draw:frame");
    ASSERT_TRUE(frame);
    EXPECT_EQ(std::string(frame.child("draw:text-box").child("text:p").text().get()), "boxed");
    EXPECT_STREQ(frame.attribute("text:anchor-page-number").value(), "2");
    EXPECT_FALSE(frame.next_sibling("draw:frame")) << "page 2's frame is chapter 1's";
    const auto one = written(2);
    const pugi::xml_node early = one->text().child("draw:frame");
    ASSERT_TRUE(early);
    EXPECT_EQ(std::string(early.child("draw:text-box").child("text:p").text().get()), "early");
    EXPECT_STREQ(early.attribute("text:anchor-page-number").value(), "2");
    EXPECT_FALSE(early.next_sibling("draw:frame")) << "chapter 1 has no page 3";

    // Chapter 3 opens page 4 and takes its style; no mark of ours is left in any part.
    const auto three = written(4);
    const pugi::xml_node opening = three->text().child("text:h");
    EXPECT_STREQ(three->automaticStyle(opening.attribute("text:style-name").value())
                     .attribute("style:master-page-name")
                     .value(),
                 "Chapter");
    for (int k = 1; k <= 4; ++k) {
        const std::string content = TestPackage::contents(output(k)).at("content.xml");
        EXPECT_EQ(content.find("__folioknife_"), std::string::npos) << "part " << k;
    }
    EXPECT_EQ(parts.part(1).heading, "");
    EXPECT_EQ(parts.part(3).heading, "2 Two");
    EXPECT_EQ(std::pair(parts.part(3).firstPage, parts.part(3).lastPage), std::pair(2, 3));
}

TEST_F(HeadingCutTest, ACutAtPagesHasNoPartAndACutAtHeadingsNoneBeyondItsLast) {
    const PackageSlicer pages(input(), plan());
    EXPECT_EQ(pages.partCount(), 0);
    EXPECT_THROW(pages.writePart(1, output(1)), SliceError);
    pages.writePage(2, output(2));
    EXPECT_EQ(TestPackage::contents(output(2)).at("content.xml").find("__folioknife_"), std::string::npos)
        << "heading marks are ours in page outputs too";

    const PackageSlicer parts = slicer();
    EXPECT_THROW(parts.writePart(0, output(0)), SliceError);
    EXPECT_THROW(parts.writePart(5, output(5)), SliceError);
    EXPECT_THROW(parts.part(5), SliceError);
    EXPECT_FALSE(fs::exists(output(5)));
}

TEST_F(HeadingCutTest, APageThatCannotBeCutDoesNotStopACutAtHeadings) {
    // Page 2 begins inside a table row that runs over two pages: no page can be cut there, but the
    // parts are cut at the headings, before and after the table.
    const std::string body =
        R"(<text:h text:outline-level="1">)" + headingMark(1) +
        "One</text:h><table:table><table:table-row><table:table-cell><text:p>a" + mark(2) +
        R"(b</text:p></table:table-cell></table:table-row></table:table><text:h text:outline-level="1">)" +
        headingMark(2) + "Two</text:h><text:p>c</text:p>";
    TestPackage::write(
        input(),
        {{"mimetype", "application/vnd.oasis.opendocument.text"},
         {"content.xml", contentXml(body)},
         {"styles.xml", stylesXml(kHeadingStyles, R"(<style:master-page style:name="Standard"/>)")}});
    const std::vector<PlannedPage> twoPages{{false, "Standard"}, {false, "Standard"}};
    EXPECT_FALSE(PackageSlicer(input(), twoPages).issues().empty()) << "cut at pages, it cannot";

    const PackageSlicer parts(input(), twoPages, std::vector<std::string>{"One", "Two"});
    ASSERT_TRUE(parts.issues().empty()) << parts.issues().front().what;
    ASSERT_EQ(parts.partCount(), 2);
    parts.writePart(1, output(1));
    const std::string first = TestPackage::contents(output(1)).at("content.xml");
    EXPECT_NE(first.find(">ab<"), std::string::npos) << "the row whole, as in the input";
    EXPECT_EQ(first.find("Two"), std::string::npos);
    // The row runs onto page 2, where chapter 2 begins after it.
    EXPECT_EQ(std::pair(parts.part(1).firstPage, parts.part(1).lastPage), std::pair(1, 2));
    EXPECT_EQ(parts.part(2).firstPage, 2);
}

}  // namespace
}  // namespace fk::slicer
