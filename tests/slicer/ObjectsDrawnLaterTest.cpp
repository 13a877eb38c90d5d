#include "ObjectsDrawnLater.h"
#include "PagePlan.h"
#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::string frame(const std::string& name, const std::string& anchor) {
    return R"(<draw:frame draw:name=")" + name + R"(" draw:style-name="Picture" text:anchor-type=")" +
           anchor + R"(" svg:y="1.5cm"><draw:image xlink:href="Pictures/)" + name + R"(.png"/></draw:frame>)";
}

std::vector<std::string> framesIn(pugi::xml_node node) {
    std::vector<std::string> names;
    for (const pugi::xpath_node found : node.select_nodes(".//draw:frame"))
        names.push_back(found.node().attribute("draw:name").value());
    return names;
}

// Page 1 ends with a paragraph whose picture "Later" the layout draws at the top of page 2; "Kept" stays on
// page 1 with its paragraph.
const std::string kBody = "<text:p>one</text:p><text:p>" + frame("Later", "paragraph") +
                          frame("Kept", "paragraph") + "last of one</text:p><text:p>" + mark(2) +
                          "two</text:p><text:p>" + mark(3) + "three</text:p>";
const std::string kPictureStyle =
    R"(<style:style style:name="Picture" style:family="graphic"><style:graphic-properties style:wrap="none")"
    R"( style:vertical-pos="from-top" style:vertical-rel="paragraph"/></style:style>)";

PagePlan planDrawingLaterOn(int page) {
    std::vector<PlannedPage> pages(3);
    pages[static_cast<size_t>(page - 1)].objectsDrawnHere = {{"Later", 4500, 2001}, {"Nowhere", 0, 0}};
    return PagePlan(std::move(pages));
}

// The output body of pages first..last with the objects drawn later moved.
pugi::xml_node output(TestDocument& document, const ObjectsDrawnLater& objects, int first, int last) {
    document.pages(first, last);
    BodyRangeCopier copier(document.facts(), document.outputStyles(), "3");
    objects.takeOut(last, document.outputText());
    objects.placeOnPages(first, last, document.outputText(), copier, document.outputStyles());
    return document.outputText();
}

TEST(ObjectsDrawnLaterTest, AnObjectLeavesItsParagraphsPageForThePageThatDrawsIt) {
    TestDocument document(kBody, kPictureStyle);
    const PagePlan plan = planDrawingLaterOn(2);
    const ObjectsDrawnLater objects(plan, document.text());
    EXPECT_EQ(framesIn(output(document, objects, 1, 1)), std::vector<std::string>{"Kept"});

    const pugi::xml_node placed = output(document, objects, 2, 2).first_child();
    EXPECT_EQ(std::string(placed.attribute("draw:name").value()), "Later") << "before the page's first block";
    EXPECT_EQ(std::string(placed.attribute("text:anchor-type").value()), "page");
    EXPECT_EQ(std::string(placed.attribute("text:anchor-page-number").value()), "1");
    EXPECT_EQ(std::string(placed.attribute("svg:x").value()), "4.500000cm");
    EXPECT_EQ(std::string(placed.attribute("svg:y").value()), "2.001000cm");
    const std::string style = document.outputStyle(placed.attribute("draw:style-name").value());
    for (const char* property : {R"(style:vertical-rel="page")", R"(style:vertical-pos="from-top")",
                                 R"(style:horizontal-rel="page")", R"(style:wrap="none")"})
        EXPECT_NE(style.find(property), std::string::npos) << property << " in " << style;
    EXPECT_EQ(framesIn(document.outputText()), std::vector<std::string>{"Later"}) << "once, and no other";

    EXPECT_TRUE(framesIn(output(document, objects, 3, 3)).empty());
}

TEST(ObjectsDrawnLaterTest, AnOutputThatHoldsBothPagesLeavesTheObjectWithItsParagraph) {
    const struct {
        const char* name;
        int drawnOn, first, last;
        std::vector<std::string> frames;
    } cases[] = {
        {"anchor and drawing page in one output", 2, 1, 2, {"Later", "Kept"}},
        {"drawn two pages on, the output ends before", 3, 1, 2, {"Kept"}},
        {"drawn two pages on, on the output's second page", 3, 2, 3, {"Later"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDocument document(kBody, kPictureStyle);
        const PagePlan plan = planDrawingLaterOn(c.drawnOn);
        const ObjectsDrawnLater objects(plan, document.text());
        EXPECT_EQ(framesIn(output(document, objects, c.first, c.last)), c.frames);
        if (c.frames.front() == "Later" && c.first > 1)
            EXPECT_EQ(
                std::string(document.outputText().first_child().attribute("text:anchor-page-number").value()),
                std::to_string(c.drawnOn - c.first + 1));
    }
}

}  // namespace
}  // namespace fk::slicer
