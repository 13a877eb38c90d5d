#include "slicer/PackageSlicer.h"
#include "slicer/PageOrigin.h"

#include "TestDocument.h"
#include "TestPackage.h"

#include <cstdlib>
#include <fstream>
#include <latch>
#include <thread>
#include <tuple>

namespace fk::slicer {
namespace {

namespace fs = std::filesystem;

const std::string kMimetype = "application/vnd.oasis.opendocument.text";

std::string picture(const std::string& name) {
    return R"(<draw:frame text:anchor-type="as-char"><draw:image xlink:href="Pictures/)" + name +
           R"("/></draw:frame>)";
}

class PackageSlicerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("fk-slicer-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A three-page document: a header logo, a picture on each of pages 1 and 3, a chart on page 2, a
    // frame anchored to page 3 and a footer with the page count.
    fs::path writeInput(const std::string& body, const std::set<std::string>& stored = {},
                        const std::string& automaticStyles = "", const std::string& commonStyles = "") {
        const std::string styles = stylesXml(
            R"(<text:notes-configuration text:note-class="footnote" text:start-value="0"/>)" + commonStyles,
            R"(<style:master-page style:name="Standard"><style:header><text:p><draw:frame )"
            R"(text:anchor-type="paragraph"><draw:image xlink:href="Pictures/logo.png"/></draw:frame>)"
            R"(</text:p></style:header><style:footer><text:p>of <text:page-count>3</text:page-count>)"
            R"(</text:p></style:footer></style:master-page>)");
        std::vector<std::pair<std::string, std::string>> entries{
            {"mimetype", kMimetype},
            {"content.xml", contentXml(body, automaticStyles)},
            {"styles.xml", styles},
            {"meta.xml", "<office:document-meta/>"},
            {"settings.xml", "<settings/>"},
            {"Pictures/logo.png", "logo"},
            {"Pictures/one.png", "one"},
            {"Pictures/three.png", "three"},
            {"Pictures/orphan.png", "orphan"},
            {"Object 1/content.xml", "<chart/>"},
            {"ObjectReplacements/Object 1", "replacement"},
            {"Thumbnails/thumbnail.png", "thumb"}};
        std::vector<std::pair<std::string, std::string>> listed{
            {"Object 1/", "application/vnd.oasis.opendocument.chart"},
            {"ObjectReplacements/Object 1", "application/x-openoffice-gdimetafile"}};
        for (const auto& [name, data] : entries)
            if (name != "mimetype" && !name.starts_with("Object"))
                listed.emplace_back(name, name.ends_with(".png") ? "image/png" : "text/xml");
        listed.emplace_back("Object 1/content.xml", "text/xml");
        entries.emplace_back("META-INF/manifest.xml", manifestXml(listed));
        const fs::path input = folder_ / "marked.odt";
        TestPackage::write(input, entries, stored);
        return input;
    }

    fs::path writeStandardInput(const std::set<std::string>& stored = {}) {
        return writeInput(
            R"(<text:sequence-decls/><draw:frame text:anchor-type="page" text:anchor-page-number="3">)"
            R"(<draw:text-box><text:p>boxed</text:p></draw:text-box></draw:frame>)"
            "<text:p>" +
                mark(1) + "one" + picture("one.png") +
                R"(<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation>)"
                "<text:note-body><text:p>n</text:p></text:note-body></text:note></text:p>"
                "<text:p>" +
                mark(2) +
                R"(two<draw:frame text:anchor-type="as-char"><draw:object )"
                R"(xlink:href="./Object 1"/><draw:image xlink:href="./ObjectReplacements/Object 1"/>)"
                "</draw:frame></text:p><text:p>" +
                mark(3) + "three" + picture("three.png") + "</text:p>",
            stored);
    }

    static pugi::xml_node parse(pugi::xml_document& document, const std::string& xml) {
        EXPECT_TRUE(document.load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata));
        return document.document_element();
    }

    static std::vector<std::string> names(const fs::path& package) {
        std::vector<std::string> result;
        for (const auto& entry : TestPackage::read(package)) result.push_back(entry.name);
        return result;
    }

    fs::path folder_;
};

TEST_F(PackageSlicerTest, PageHoldsItsBodyAndOnlyTheEntriesItUses) {
    const PackageSlicer slicer(writeStandardInput(), std::vector<PlannedPage>(3));
    EXPECT_EQ(slicer.pageCount(), 3);
    EXPECT_TRUE(slicer.issues().empty());
    const fs::path page2 = folder_ / "page2.odt";
    slicer.writePage(2, page2);

    const std::vector<TestPackage::Entry> entries = TestPackage::read(page2);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front().name, "mimetype");
    EXPECT_EQ(entries.front().data, kMimetype);
    EXPECT_TRUE(entries.front().stored);
    EXPECT_EQ(names(page2),
              (std::vector<std::string>{"mimetype", "content.xml", "styles.xml", "meta.xml", "settings.xml",
                                        "Pictures/logo.png", "Object 1/content.xml",
                                        "ObjectReplacements/Object 1", "META-INF/manifest.xml"}));

    std::map<std::string, std::string> contents = TestPackage::contents(page2);
    pugi::xml_document manifest;
    std::vector<std::string> listed;
    for (pugi::xml_node entry : parse(manifest, contents["META-INF/manifest.xml"]).children())
        listed.push_back(std::string(entry.attribute("manifest:full-path").value()) + " " +
                         entry.attribute("manifest:media-type").value());
    EXPECT_EQ(listed,
              (std::vector<std::string>{
                  "/ " + kMimetype, "Object 1/ application/vnd.oasis.opendocument.chart",
                  "content.xml text/xml", "styles.xml text/xml", "meta.xml text/xml", "settings.xml text/xml",
                  "Pictures/logo.png image/png", "Object 1/content.xml text/xml",
                  "ObjectReplacements/Object 1 application/x-openoffice-gdimetafile"}));

    pugi::xml_document content;
    const pugi::xml_node text =
        parse(content, contents["content.xml"]).child("office:body").child("office:text");
    EXPECT_EQ(std::string(text.child("text:p").child_value()), "two");
    EXPECT_EQ(text.select_nodes("text:p").size(), 1u);
    EXPECT_FALSE(text.child("draw:frame"));
}

TEST_F(PackageSlicerTest, EveryPageSaysInItsMetadataWhichDocumentItWasCutFrom) {
    const std::string office =
        R"(<office:document-meta xmlns:office="o" xmlns:meta="m"><office:meta><meta:generator>LO)"
        R"(</meta:generator><meta:user-defined meta:name="Folioknife page of">old.odt</meta:user-defined>)"
        R"(</office:meta></office:document-meta>)";
    // None, the office's own (with the property already set once), and one that is not XML.
    for (const std::string& meta : {std::string(), office, std::string("<office:")})
        EXPECT_EQ(PageOriginIn(WithPageOrigin(meta, "Grüße & <Köln>.odt")), "Grüße & <Köln>.odt") << meta;
    EXPECT_NE(WithPageOrigin(office, "a.odt").find("<meta:generator>LO</meta:generator>"), std::string::npos);

    const fs::path input = writeStandardInput();
    PackageSlicer slicer(input, std::vector<PlannedPage>(3));
    slicer.writePage(2, folder_ / "before.odt");
    slicer.markOrigin("report.odt");
    slicer.writePage(2, folder_ / "page2.odt");
    EXPECT_EQ(PageOriginOf(folder_ / "before.odt"), std::nullopt);
    EXPECT_EQ(PageOriginOf(folder_ / "page2.odt"), "report.odt");
    EXPECT_EQ(TestPackage::contents(folder_ / "page2.odt").at("settings.xml"),
              TestPackage::contents(folder_ / "before.odt").at("settings.xml"));
    EXPECT_EQ(PageOriginOf(input), std::nullopt);
}

TEST_F(PackageSlicerTest, EntriesKeepTheirCompressionAndEveryPageItsOwnStylesInAnyOrder) {
    const fs::path input = writeStandardInput({"Pictures/one.png", "Pictures/logo.png"});
    const PackageSlicer slicer(input, std::vector<PlannedPage>(3));
    // Pages 2 and 3 share their styles (one footnote before each), page 1 has its own; pages written
    // again and out of order must each still get their own.
    std::map<int, std::map<std::string, std::string>> first;
    for (const int page : {1, 2, 3, 2, 3, 1, 3}) {
        const fs::path output = folder_ / ("page" + std::to_string(page) + ".odt");
        slicer.writePage(page, output);
        const std::map<std::string, std::string> contents = TestPackage::contents(output);
        if (!first.contains(page)) {
            first[page] = contents;
            const PackageSlicer fresh(input, std::vector<PlannedPage>(3));
            const fs::path alone = folder_ / "alone.odt";
            fresh.writePage(page, alone);
            EXPECT_EQ(TestPackage::contents(alone).at("styles.xml"), contents.at("styles.xml")) << page;
        } else {
            EXPECT_EQ(contents, first[page]) << page;
        }
    }
    EXPECT_NE(first[1].at("styles.xml"), first[2].at("styles.xml"));
    EXPECT_EQ(first[2].at("styles.xml"), first[3].at("styles.xml"));

    std::map<std::string, bool> stored;
    for (const TestPackage::Entry& entry : TestPackage::read(folder_ / "page1.odt"))
        stored[entry.name] = entry.stored;
    EXPECT_TRUE(stored.at("Pictures/one.png")) << "a stored picture stays stored";
    EXPECT_TRUE(stored.at("mimetype"));
    for (const char* name :
         {"content.xml", "styles.xml", "settings.xml", "meta.xml", "META-INF/manifest.xml"})
        EXPECT_FALSE(stored.at(name)) << name;
    EXPECT_EQ(TestPackage::contents(folder_ / "page1.odt").at("Pictures/one.png"), "one");
}

TEST_F(PackageSlicerTest, PageCarriesItsNumberFootnoteStartAndTheInputPageCount) {
    const PackageSlicer slicer(writeStandardInput(), std::vector<PlannedPage>(3));
    const fs::path page3 = folder_ / "page3.odt";
    slicer.writePage(3, page3);
    std::map<std::string, std::string> contents = TestPackage::contents(page3);

    pugi::xml_document content, styles;
    const pugi::xml_node contentRoot = parse(content, contents["content.xml"]);
    const pugi::xml_node text = contentRoot.child("office:body").child("office:text");
    const pugi::xml_node first = text.child("text:p");
    const pugi::xml_node style =
        contentRoot.child("office:automatic-styles")
            .find_child_by_attribute("style:name", first.attribute("text:style-name").value());
    EXPECT_EQ(std::string(style.attribute("style:master-page-name").value()), "Standard");
    EXPECT_EQ(std::string(style.child("style:paragraph-properties").attribute("style:page-number").value()),
              "3");
    EXPECT_EQ(std::string(text.first_child().name()), "text:sequence-decls");

    // The frame anchored to input page 3 is on page 1 of this output, before the first paragraph.
    const pugi::xml_node frame = text.child("draw:frame");
    EXPECT_EQ(frame.attribute("text:anchor-page-number").as_int(), 1);
    EXPECT_EQ(frame.next_sibling(), first);

    const pugi::xml_node stylesRoot = parse(styles, contents["styles.xml"]);
    EXPECT_EQ(std::string(stylesRoot.child("office:master-styles")
                              .child("style:master-page")
                              .child("style:footer")
                              .child("text:p")
                              .child_value()),
              "of 3");
    EXPECT_EQ(stylesRoot.child("office:styles")
                  .child("text:notes-configuration")
                  .attribute("text:start-value")
                  .as_int(),
              1);
    EXPECT_EQ(contents.count("Pictures/three.png"), 1u);
    EXPECT_EQ(contents.count("Pictures/one.png"), 0u);
}

TEST_F(PackageSlicerTest, ObjectsOfAParagraphBegunOnThePageBeforeStayThere) {
    const auto anchored = [](const std::string& picture) {
        return R"(<draw:frame text:anchor-type="paragraph"><draw:image xlink:href="Pictures/)" + picture +
               R"("/></draw:frame>)";
    };
    // Page 2 begins at the start of a paragraph whose picture the office left at the foot of page 1;
    // page 3 begins in the middle of a paragraph, whose picture is with its first part on page 2.
    const fs::path input =
        writeInput("<text:p>one</text:p><text:p>" + anchored("one.png") + mark(2) + "two</text:p><text:p>" +
                   anchored("three.png") + "th" + mark(3) + "ree</text:p>");
    PlannedPage begunBefore;
    begunBefore.openingParagraphBegunBefore = true;
    const PackageSlicer slicer(input, {{}, begunBefore, begunBefore});
    ASSERT_TRUE(slicer.issues().empty());
    std::map<int, std::map<std::string, std::string>> pages;
    for (int page = 1; page <= 3; ++page) {
        const fs::path output = folder_ / ("page" + std::to_string(page) + ".odt");
        slicer.writePage(page, output);
        pages[page] = TestPackage::contents(output);
    }

    pugi::xml_document first;
    const pugi::xml_node firstRoot = parse(first, pages[1]["content.xml"]);
    const pugi::xml_node holder = firstRoot.child("office:body").child("office:text").last_child();
    EXPECT_EQ(std::string(holder.child("draw:frame").child("draw:image").attribute("xlink:href").value()),
              "Pictures/one.png");
    EXPECT_EQ(std::string(holder.child_value()), "") << "the picture's paragraph holds no text here";
    const pugi::xpath_node holderStyle = firstRoot.select_node(
        ("//style:style[@style:name='" + std::string(holder.attribute("text:style-name").value()) + "']")
            .c_str());
    EXPECT_EQ(std::string(
                  holderStyle.node().child("style:paragraph-properties").attribute("fo:line-height").value()),
              "0.002cm");
    EXPECT_EQ(pages[1].count("Pictures/one.png"), 1u);

    EXPECT_EQ(pages[2]["content.xml"].find("one.png"), std::string::npos) << "not twice";
    EXPECT_EQ(pages[2].count("Pictures/one.png"), 0u);
    EXPECT_NE(pages[2]["content.xml"].find("two"), std::string::npos);
    const std::string& second = pages[2]["content.xml"];
    const std::size_t three = second.find("three.png");
    EXPECT_NE(three, std::string::npos)
        << "a paragraph cut in its middle keeps its picture with its first part";
    EXPECT_EQ(second.find("three.png", three + 1), std::string::npos) << "once";
    EXPECT_EQ(pages[3]["content.xml"].find("three.png"), std::string::npos);
}

TEST_F(PackageSlicerTest, AfterABlankPageTheOpeningParagraphKeepsItsObjects) {
    const fs::path input =
        writeInput(R"(<text:p>one</text:p><text:p><draw:frame text:anchor-type="paragraph">)"
                   R"(<draw:image xlink:href="Pictures/one.png"/></draw:frame>)" +
                   mark(3) + "three</text:p>");
    PlannedPage blank, begunBefore;
    blank.blank = true;
    begunBefore.openingParagraphBegunBefore = true;
    const PackageSlicer slicer(input, {{}, blank, begunBefore});
    slicer.writePage(1, folder_ / "page1.odt");
    slicer.writePage(3, folder_ / "page3.odt");
    EXPECT_EQ(TestPackage::contents(folder_ / "page1.odt")["content.xml"].find("one.png"), std::string::npos)
        << "a blank page the layout inserted stands between them";
    EXPECT_NE(TestPackage::contents(folder_ / "page3.odt")["content.xml"].find("one.png"), std::string::npos);
}

TEST_F(PackageSlicerTest, UnwrappedObjectsTheLayoutLiftedAboveTheirParagraphStayOverTheText) {
    const std::string topOfParagraph = R"( style:vertical-pos="top" style:vertical-rel="paragraph")";
    const std::string automatic =
        R"(<style:style style:name="gr1" style:family="graphic"><style:graphic-properties style:wrap="none")"
        R"( style:run-through="background")" +
        topOfParagraph +
        R"(/></style:style><style:style style:name="gr2" style:family="graphic" style:parent-style-name="Chart">)"
        R"(<style:graphic-properties style:vertical-pos="from-top"/></style:style>)"
        R"(<style:style style:name="gr3" style:family="graphic"><style:graphic-properties style:wrap="parallel")" +
        topOfParagraph + "/></style:style>";
    const std::string common = R"(<style:style style:name="Chart" style:family="graphic">)"
                               R"(<style:graphic-properties style:wrap="none")" +
                               topOfParagraph + "/></style:style>";
    const auto frame = [](const std::string& name, const std::string& style, const std::string& y,
                          const std::string& anchor = "paragraph") {
        return R"(<draw:frame text:anchor-type=")" + anchor + R"(" draw:name=")" + name +
               R"(" draw:style-name=")" + style + R"(" svg:y=")" + y +
               R"("><draw:image xlink:href="Pictures/one.png"/></draw:frame>)";
    };
    const fs::path input =
        writeInput("<text:p>" + mark(1) + "one" + frame("Lifted", "gr1", "-1.09in") +
                       frame("AtTop", "gr1", "0in") + frame("RoundedZero", "gr1", "-0.0001in") +
                       frame("PlacedAbove", "gr2", "-2cm") + frame("Wrapped", "gr3", "-2cm") +
                       frame("LiftedByItsCommonStyle", "Chart", "-14pt", "char") + "</text:p>",
                   {}, automatic, common);
    const PackageSlicer slicer(input, std::vector<PlannedPage>(1));
    slicer.writePage(1, folder_ / "page1.odt");

    pugi::xml_document content;
    const pugi::xml_node root = parse(content, TestPackage::contents(folder_ / "page1.odt")["content.xml"]);
    const auto styleOf = [&](const std::string& name) -> std::string {
        const pugi::xml_node object =
            root.select_node(("//draw:frame[@draw:name='" + name + "']").c_str()).node();
        EXPECT_NE(std::string(object.attribute("svg:y").value()), "") << name << ": its position is kept";
        return object.attribute("draw:style-name").value();
    };
    const auto wrapOf = [&](const std::string& name) -> std::string {
        const std::string style = styleOf(name);
        const pugi::xml_node properties =
            root.select_node(("//style:style[@style:name='" + style + "']/style:graphic-properties").c_str())
                .node();
        return properties.attribute("style:wrap").value();
    };
    EXPECT_EQ(wrapOf("Lifted"), "run-through");
    const pugi::xml_node lifted =
        root.select_node("//style:style[style:graphic-properties/@style:wrap='run-through']").node();
    EXPECT_EQ(std::string(lifted.child("style:graphic-properties").attribute("style:run-through").value()),
              "background")
        << "drawn behind or before the text as in the input";
    EXPECT_EQ(std::string(lifted.child("style:graphic-properties").attribute("style:vertical-pos").value()),
              "top")
        << "the office lifts it again, as far as the page needs";
    EXPECT_EQ(wrapOf("LiftedByItsCommonStyle"), "run-through");
    EXPECT_EQ(wrapOf("AtTop"), "none");
    EXPECT_EQ(wrapOf("RoundedZero"), "none") << "the office's rounding of zero is no lift";
    EXPECT_EQ(styleOf("PlacedAbove"), "gr2") << "a position the author gave is not the layout's lift";
    EXPECT_EQ(wrapOf("Wrapped"), "parallel") << "text wrapped around it in the input";
}

TEST_F(PackageSlicerTest, APageTakesTheAutomaticStylesItNamesAndThoseTheyNameButNoOthers) {
    // P1 names an automatic list style, which names a text style; P2 is named by a word of a list of
    // names; a paragraph cut by page 2 derives from P3, which names a data style. FkP1 is the input's
    // own: the style derived from it for page 1's page style takes another name.
    const std::string automatic =
        R"(<style:style style:name="P1" style:family="paragraph" style:list-style-name="L1"/>)"
        R"(<text:list-style style:name="L1"><text:list-level-style-number text:level="1" )"
        R"(text:style-name="T1"/></text:list-style>)"
        R"(<style:style style:name="T1" style:family="text"/>)"
        R"(<style:style style:name="P2" style:family="paragraph"/>)"
        R"(<style:style style:name="P3" style:family="paragraph" style:data-style-name="N1">)"
        R"(<style:paragraph-properties fo:text-indent="1cm"/></style:style>)"
        R"(<number:number-style style:name="N1"/>)"
        R"(<style:style style:name="FkP1" style:family="paragraph"/>)"
        R"(<style:style style:name="Unused" style:family="paragraph"/>)";
    const fs::path input = writeInput(
        R"(<text:p text:style-name="FkP1">)" + mark(1) +
            R"(one</text:p><text:p text:style-name="P1">)"
            R"(two</text:p><text:p text:class-names="P2 Missing">three</text:p><text:p text:style-name="P3">)"
            "four" +
            mark(2) + "five</text:p>",
        {}, automatic);
    const PackageSlicer slicer(input, std::vector<PlannedPage>(2));
    const auto stylesOf = [&](int page) {
        slicer.writePage(page, folder_ / "page.odt");
        pugi::xml_document content;
        const pugi::xml_node root =
            parse(content, TestPackage::contents(folder_ / "page.odt")["content.xml"]);
        std::vector<std::string> names;
        for (pugi::xml_node style : root.child("office:automatic-styles").children())
            names.emplace_back(style.attribute("style:name").value());
        return names;
    };
    EXPECT_EQ(stylesOf(1), (std::vector<std::string>{"P1", "L1", "T1", "P2", "P3", "N1", "FkP2"}));
    // The continuation's style is a copy of P3 and names its data style; the page style's derives from it.
    EXPECT_EQ(stylesOf(2), (std::vector<std::string>{"N1", "FkP2", "FkP3"}));
}

TEST_F(PackageSlicerTest, PagesWrittenAtOnceOnSeveralThreadsAreThoseWrittenOneByOne) {
    // Eight pages with pictures and notes: their styles.xml differ (note numbers go on) or are alike,
    // so the shared styles are taken over while other threads share theirs.
    std::string body = R"(<draw:frame text:anchor-type="page" text:anchor-page-number="5">)"
                       R"(<draw:text-box><text:p>boxed</text:p></draw:text-box></draw:frame>)";
    constexpr int kPages = 8;
    for (int page = 1; page <= kPages; ++page) {
        body += "<text:p>" + mark(page) + "page " + std::to_string(page);
        if (page % 2 == 1) body += picture(page % 4 == 1 ? "one.png" : "three.png");
        if (page % 3 == 0)
            body += R"(<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation>)"
                    "<text:note-body><text:p>n</text:p></text:note-body></text:note>";
        body += "</text:p>";
    }
    const fs::path input = writeInput(body, {"Pictures/one.png"});
    using Entries = std::vector<std::tuple<std::string, std::string, bool>>;
    const auto entriesOf = [](const fs::path& package) {
        Entries entries;
        for (const TestPackage::Entry& entry : TestPackage::read(package))
            entries.emplace_back(entry.name, entry.data, entry.stored);
        return entries;
    };

    std::map<int, Entries> oneByOne;
    {
        const PackageSlicer slicer(input, std::vector<PlannedPage>(kPages));
        for (int page = 1; page <= kPages; ++page) {
            slicer.writePage(page, folder_ / "alone.odt");
            oneByOne[page] = entriesOf(folder_ / "alone.odt");
        }
        slicer.writePages(2, 6, folder_ / "alone.odt");
        oneByOne[0] = entriesOf(folder_ / "alone.odt");
    }

    // Each round starts its threads together on a slicer whose shared styles are fresh, then warm:
    // four threads write two pages each, two more write page 3 and pages 2-6 at the same time.
    const PackageSlicer slicer(input, std::vector<PlannedPage>(kPages));
    for (int round = 0; round < 3; ++round) {
        const fs::path out = folder_ / ("round" + std::to_string(round));
        fs::create_directories(out);
        const auto target = [&](int writer, int page) {
            return out / ("writer" + std::to_string(writer) + "-page" + std::to_string(page) + ".odt");
        };
        std::vector<std::pair<int, std::vector<int>>> writers;  // writer, its pages (0: pages 2-6)
        for (int writer = 0; writer < 4; ++writer) writers.push_back({writer, {writer + 1, writer + 5}});
        writers.push_back({4, {3, 0}});
        writers.push_back({5, {0, 3}});
        std::latch start(static_cast<std::ptrdiff_t>(writers.size()));
        std::vector<std::string> failures(writers.size());
        {
            std::vector<std::jthread> threads;
            for (const auto& [writer, pages] : writers) {
                threads.emplace_back([&, writer = writer, pages = pages] {
                    start.arrive_and_wait();
                    try {
                        for (const int page : pages) {
                            if (page == 0)
                                slicer.writePages(2, 6, target(writer, page));
                            else
                                slicer.writePage(page, target(writer, page));
                        }
                    } catch (const std::exception& error) {
                        failures[static_cast<size_t>(writer)] = error.what();
                    }
                });
            }
        }
        for (const auto& [writer, pages] : writers) {
            EXPECT_EQ(failures[static_cast<size_t>(writer)], "")
                << "round " << round << ", writer " << writer;
            for (const int page : pages)
                EXPECT_EQ(entriesOf(target(writer, page)), oneByOne[page])
                    << "round " << round << ", writer " << writer << ", page " << page << " (0: pages 2-6)";
        }
    }
}

TEST_F(PackageSlicerTest, PicturesNamedInPercentEncodingGoWithThePageThatShowsThem) {
    // Hrefs are IRIs: the office may write "a b.png" as "a%20b.png", and a name with a percent sign in
    // it must be written encoded.
    const fs::path input = folder_ / "encoded.odt";
    TestPackage::write(
        input, {{"mimetype", kMimetype},
                {"content.xml",
                 contentXml("<text:p>one" + picture("a%20b.png") + picture("50%25.png") +
                            "</text:p><text:p>" + mark(2) + "two" + picture("50%.png") + "</text:p>")},
                {"Pictures/a b.png", "space"},
                {"Pictures/50%.png", "percent"},
                {"META-INF/manifest.xml", manifestXml({{"content.xml", "text/xml"},
                                                       {"Pictures/a b.png", "image/png"},
                                                       {"Pictures/50%.png", "image/png"}})}});
    const PackageSlicer slicer(input, std::vector<PlannedPage>(2));
    slicer.writePage(1, folder_ / "page1.odt");
    slicer.writePage(2, folder_ / "page2.odt");

    std::map<std::string, std::string> first = TestPackage::contents(folder_ / "page1.odt");
    EXPECT_EQ(first["Pictures/a b.png"], "space");
    EXPECT_EQ(first["Pictures/50%.png"], "percent");
    pugi::xml_document manifest;
    std::set<std::string> listed;
    for (pugi::xml_node entry : parse(manifest, first["META-INF/manifest.xml"]).children())
        listed.insert(std::string(entry.attribute("manifest:full-path").value()) + " " +
                      entry.attribute("manifest:media-type").value());
    EXPECT_TRUE(listed.contains("Pictures/a b.png image/png"));
    EXPECT_TRUE(listed.contains("Pictures/50%.png image/png"));

    const std::map<std::string, std::string> second = TestPackage::contents(folder_ / "page2.odt");
    EXPECT_FALSE(second.contains("Pictures/a b.png"));
    EXPECT_TRUE(second.contains("Pictures/50%.png")) << "a bare percent sign that encodes nothing";
}

TEST_F(PackageSlicerTest, StylesThatAreTheirOwnAncestorsNeitherHangNorCrashTheSlicer) {
    const std::string common =
        R"(<style:style style:name="Loop" style:family="paragraph" style:parent-style-name="Loop"/>)"
        R"(<style:style style:name="A" style:family="paragraph" style:parent-style-name="B"/>)"
        R"(<style:style style:name="B" style:family="paragraph" style:parent-style-name="A">)"
        R"(<style:paragraph-properties fo:break-after="page"/></style:style>)"
        R"(<style:style style:name="TableLoop" style:family="table" style:parent-style-name="TableLoop"/>)"
        R"(<style:style style:name="GraphicLoop" style:family="graphic" style:parent-style-name="GraphicLoop"/>)";
    const std::string automatic =
        R"(<style:style style:name="P1" style:family="paragraph" style:parent-style-name="A"/>)";
    const std::string lifted = R"(<draw:frame text:anchor-type="paragraph" draw:style-name="GraphicLoop")"
                               R"( svg:y="-1cm"><draw:image xlink:href="Pictures/one.png"/></draw:frame>)";
    const fs::path input = writeInput(
        R"(<text:h text:style-name="Loop" text:outline-level="1">head</text:h><text:p text:style-name="P1">)" +
            lifted + "one" + mark(2) + R"(two</text:p><table:table table:style-name="TableLoop">)" +
            "<table:table-row><table:table-cell><text:p>" + mark(3) +
            R"(cell</text:p></table:table-cell></table:table-row></table:table><text:p text:style-name="B">)" +
            mark(4) + "four</text:p>",
        {}, automatic, common);
    const PackageSlicer slicer(input, std::vector<PlannedPage>(4));
    EXPECT_TRUE(slicer.issues().empty());
    for (int page = 1; page <= 4; ++page) {
        const fs::path output = folder_ / ("page" + std::to_string(page) + ".odt");
        ASSERT_NO_THROW(slicer.writePage(page, output)) << page;
        EXPECT_NE(TestPackage::contents(output)["content.xml"].find("office:text"), std::string::npos);
    }
}

TEST_F(PackageSlicerTest, OurMarksNeverReachAnOutput) {
    const PackageSlicer slicer(writeStandardInput(), std::vector<PlannedPage>(3));
    const fs::path all = folder_ / "all.odt";
    slicer.writePages(1, 3, all);
    const std::string content = TestPackage::contents(all)["content.xml"];
    EXPECT_EQ(content.find("__folioknife_page_"), std::string::npos);
    EXPECT_NE(content.find("three"), std::string::npos);
    EXPECT_NE(content.find("one"), std::string::npos);
}

TEST_F(PackageSlicerTest, BlankPageIsAnEmptyParagraphWithTheLayoutsStyle) {
    const fs::path input = writeInput("<text:p>one</text:p><text:p>" + mark(3) + "three</text:p>");
    const PackageSlicer slicer(input, {{}, {true, "Left Page"}, {}});
    EXPECT_TRUE(slicer.issues().empty());
    const fs::path blank = folder_ / "blank.odt";
    slicer.writePage(2, blank);
    pugi::xml_document content;
    const pugi::xml_node root = parse(content, TestPackage::contents(blank)["content.xml"]);
    const pugi::xml_node text = root.child("office:body").child("office:text");
    ASSERT_EQ(text.select_nodes("*").size(), 1u);
    const pugi::xml_node paragraph = text.child("text:p");
    EXPECT_TRUE(paragraph.first_child().empty());
    const pugi::xml_node style =
        root.child("office:automatic-styles")
            .find_child_by_attribute("style:name", paragraph.attribute("text:style-name").value());
    // A blank page shows no header or footer: its page style is one of its own, on the layout of the
    // page style that applies (no master page of the plan's name in the input: the one after page 1).
    EXPECT_EQ(std::string(style.attribute("style:master-page-name").value()), "Folioknife_20_Blank_20_Page");
    EXPECT_EQ(std::string(style.child("style:paragraph-properties").attribute("style:page-number").value()),
              "2");
    pugi::xml_document styles;
    const pugi::xml_node master = parse(styles, TestPackage::contents(blank)["styles.xml"])
                                      .child("office:master-styles")
                                      .find_child_by_attribute("style:name", "Folioknife_20_Blank_20_Page");
    ASSERT_TRUE(master);
    EXPECT_FALSE(master.first_child()) << "no header, no footer";
}

TEST_F(PackageSlicerTest, ExistingFileOrLinkAtTargetIsReplacedNotWrittenThrough) {
    const PackageSlicer slicer(writeStandardInput(), std::vector<PlannedPage>(3));
    const fs::path victim = folder_ / "victim.txt";
    std::ofstream(victim) << "keep me";
    const fs::path link = folder_ / "link.odt";
    fs::create_symlink(victim, link);
    slicer.writePage(1, link);
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(TestPackage::read(link).front().name, "mimetype");
    std::ifstream kept(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");

    slicer.writePage(2, link);
    EXPECT_EQ(std::string(TestPackage::contents(link)["content.xml"]).find("three"), std::string::npos);
}

TEST_F(PackageSlicerTest, FailedWriteThrowsAndLeavesNothingBehind) {
    const PackageSlicer slicer(writeStandardInput(), std::vector<PlannedPage>(3));
    EXPECT_THROW(slicer.writePage(1, folder_ / "missing" / "page.odt"), SliceError);

    const fs::path occupied = folder_ / "out" / "page.odt";
    fs::create_directories(occupied / "inside");
    EXPECT_THROW(slicer.writePage(1, occupied), SliceError);
    std::vector<fs::path> left;
    for (const auto& item : fs::directory_iterator(occupied.parent_path()))
        left.push_back(item.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"page.odt"});

    EXPECT_THROW(slicer.writePages(2, 4, folder_ / "range.odt"), SliceError);
    EXPECT_THROW(slicer.writePages(0, 1, folder_ / "range.odt"), SliceError);
    EXPECT_FALSE(fs::exists(folder_ / "range.odt"));
}

TEST_F(PackageSlicerTest, ABodyNestedFarDeeperThanTheOfficeWritesIsRefusedNotFollowedOffTheStack) {
    const auto nested = [](int depth) {
        std::string spans;
        for (int level = 0; level < depth; ++level) spans += "<text:span>";
        spans += "x" + mark(2) + "y";
        for (int level = 0; level < depth; ++level) spans += "</text:span>";
        return "<text:p>" + spans + "</text:p>";
    };
    EXPECT_THROW(PackageSlicer(writeInput(nested(100000)), std::vector<PlannedPage>(2)), SliceError);

    const PackageSlicer slicer(writeInput(nested(100)), std::vector<PlannedPage>(2));
    slicer.writePage(2, folder_ / "page2.odt");
    EXPECT_NE(TestPackage::contents(folder_ / "page2.odt")["content.xml"].find("y"), std::string::npos);
}

TEST_F(PackageSlicerTest, UnreadablePackagesAreRefused) {
    const fs::path garbage = folder_ / "garbage.odt";
    std::ofstream(garbage) << "not a zip at all";
    EXPECT_THROW(PackageSlicer(garbage, std::vector<PlannedPage>(1)), SliceError);
    EXPECT_THROW(PackageSlicer(folder_ / "absent.odt", std::vector<PlannedPage>(1)), SliceError);

    const fs::path spreadsheet = folder_ / "sheet.ods";
    TestPackage::write(spreadsheet, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                     {"content.xml", contentXml("")}});
    EXPECT_THROW(PackageSlicer(spreadsheet, std::vector<PlannedPage>(1)), SliceError);

    const fs::path broken = folder_ / "broken.odt";
    TestPackage::write(broken,
                       {{"mimetype", kMimetype}, {"content.xml", "<office:document-content><office:body>"}});
    EXPECT_THROW(PackageSlicer(broken, std::vector<PlannedPage>(1)), SliceError);

    const fs::path encrypted = folder_ / "encrypted.odt";
    TestPackage::write(
        encrypted,
        {{"mimetype", kMimetype},
         {"content.xml", contentXml("<text:p/>")},
         {"META-INF/manifest.xml",
          R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">)"
          R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml">)"
          R"(<manifest:encryption-data/></manifest:file-entry></manifest:manifest>)"}});
    EXPECT_THROW(PackageSlicer(encrypted, std::vector<PlannedPage>(1)), SliceError);
}

}  // namespace
}  // namespace fk::slicer
