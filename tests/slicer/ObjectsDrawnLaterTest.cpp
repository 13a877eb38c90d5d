#include "ObjectsDrawnLater.h"
#include "PagePlan.h"
#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::string frame(const std::string& name) {
    return R"(<draw:frame draw:name=")" + name +
           R"(" draw:style-name="Picture" text:anchor-type="paragraph" svg:y="1.5cm"/>)";
}

// Page 1 ends with a paragraph whose picture "Later" the layout draws on a later page; "Kept" stays.
const std::string kBody = "<text:p>one</text:p><text:p>" + frame("Later") + frame("Kept") +
                          "last of one</text:p><text:p>" + mark(2) + "two</text:p><text:p>" + mark(3) +
                          "three</text:p>";
const std::string kPictureStyle =
    R"(<style:style style:name="Picture" style:family="graphic"><style:graphic-properties style:wrap="none")"
    R"( style:vertical-pos="from-top" style:vertical-rel="paragraph"/></style:style>)";

TEST(ObjectsDrawnLaterTest, AnObjectGoesToTheOutputOfThePageThatDrawsItAnchoredWhereItIsDrawn) {
    const struct {
        const char* name;
        int drawnOn, first, last;
        std::vector<std::string> frames;
        const char* anchorPage;  // of the first frame, when it is moved onto a page
    } cases[] = {
        {"its paragraph's page", 2, 1, 1, {"Kept"}, nullptr},
        {"the page that draws it", 2, 2, 2, {"Later"}, "1"},
        {"a later page", 2, 3, 3, {}, nullptr},
        {"anchor and drawing page in one output", 2, 1, 2, {"Later", "Kept"}, nullptr},
        {"drawn two pages on, the output ends before", 3, 1, 2, {"Kept"}, nullptr},
        {"drawn two pages on, on the output's second page", 3, 2, 3, {"Later"}, "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDocument document(kBody, kPictureStyle);
        std::vector<PlannedPage> pages(3);
        pages[static_cast<size_t>(c.drawnOn - 1)].objectsDrawnHere = {{"Later", 4500, 2001},
                                                                      {"Nowhere", 0, 0}};
        const PagePlan plan(std::move(pages));
        const ObjectsDrawnLater objects(plan, document.text());
        document.pages(c.first, c.last);
        BodyRangeCopier copier(document.facts(), document.outputStyles(), "3");
        objects.takeOut(c.last, document.outputText());
        objects.placeOnPages(c.first, c.last, document.outputText(), copier, document.outputStyles());

        std::vector<std::string> frames;
        for (const pugi::xpath_node found : document.outputText().select_nodes(".//draw:frame"))
            frames.push_back(found.node().attribute("draw:name").value());
        EXPECT_EQ(frames, c.frames);
        if (!c.anchorPage) continue;
        const pugi::xml_node placed = document.outputText().first_child();
        EXPECT_EQ(
            outerXml(placed).substr(0, 160),
            std::string(R"(<draw:frame draw:name="Later" draw:style-name="FkS1" text:anchor-type="page" )"
                        R"(svg:y="2.001000cm" text:anchor-page-number=")") +
                c.anchorPage + R"(" svg:x="4.500000cm"/>)");
        const std::string style = document.outputStyle("FkS1");
        for (const char* property : {R"(style:vertical-rel="page")", R"(style:vertical-pos="from-top")",
                                     R"(style:horizontal-rel="page")", R"(style:wrap="none")"})
            EXPECT_NE(style.find(property), std::string::npos) << property << " in " << style;
    }
}

}  // namespace
}  // namespace fk::slicer
