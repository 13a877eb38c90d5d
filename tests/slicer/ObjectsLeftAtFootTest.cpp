#include "MasterPages.h"
#include "ObjectsLeftAtFoot.h"
#include "PageMap.h"
#include "PagePlan.h"
#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::string frame(const std::string& name, const std::string& anchor) {
    return R"(<draw:frame draw:name=")" + name + R"(" text:anchor-type=")" + anchor +
           R"("><draw:image xlink:href="Pictures/)" + name + R"(.png"/></draw:frame>)";
}

std::vector<std::string> namesOf(const std::vector<pugi::xml_node>& objects) {
    std::vector<std::string> names;
    for (pugi::xml_node object : objects) names.push_back(object.attribute("draw:name").value());
    return names;
}

std::vector<std::string> framesIn(pugi::xml_node node) {
    std::vector<std::string> names;
    for (const pugi::xpath_node found : node.select_nodes(".//draw:frame"))
        names.push_back(found.node().attribute("draw:name").value());
    return names;
}

PlannedPage begunBefore() {
    PlannedPage page;
    page.openingParagraphBegunBefore = true;
    return page;
}

PlannedPage blank() {
    PlannedPage page;
    page.blank = true;
    return page;
}

// Page 2 opens a paragraph whose picture the layout left at the foot of page 1 (the paragraph's style
// breaks the page and names a page style, as a chapter's first paragraph may).
const std::string kBody =
    "<text:p>one</text:p>"
    R"(<text:p text:style-name="Chapter">)" +
    frame("Left", "paragraph") + mark(2) + "two" + frame("InLine", "as-char") + frame("AtCharacter", "char") +
    "</text:p>";
const std::string kChapterStyle =
    R"(<style:style style:name="Chapter" style:family="paragraph" style:master-page-name="Standard">)"
    R"(<style:paragraph-properties fo:break-before="page" fo:margin-top="1cm"/></style:style>)";

class ObjectsLeftAtFootTest : public ::testing::Test {
protected:
    const ObjectsLeftAtFoot& load(const std::string& body, std::vector<PlannedPage> plan) {
        document_ = std::make_unique<TestDocument>(body, kChapterStyle);
        plan_ = std::make_unique<PagePlan>(std::move(plan));
        pages_ = std::make_unique<PageMap>(document_->text(), *plan_, document_->styles(), masterPages_,
                                           document_->facts());
        EXPECT_TRUE(pages_->issues().empty());
        objects_ = std::make_unique<ObjectsLeftAtFoot>(*plan_, *pages_);
        return *objects_;
    }

    std::unique_ptr<TestDocument> document_;
    MasterPages masterPages_{pugi::xml_node()};
    std::unique_ptr<PagePlan> plan_;
    std::unique_ptr<PageMap> pages_;
    std::unique_ptr<ObjectsLeftAtFoot> objects_;
};

TEST_F(ObjectsLeftAtFootTest, OnlyObjectsAnchoredToTheParagraphAPageOpensAreLeftBefore) {
    const ObjectsLeftAtFoot& objects = load(kBody, {{}, begunBefore()});
    EXPECT_EQ(namesOf(objects.leftBefore(2)), std::vector<std::string>{"Left"})
        << "objects in the line or at a character go where their text goes";
    EXPECT_TRUE(objects.leftBefore(1).empty());
    EXPECT_TRUE(objects.leftBefore(3).empty()) << "the page after the last one";
    EXPECT_TRUE(load(kBody, {{}, {}}).leftBefore(2).empty()) << "unless the plan says so";
}

TEST_F(ObjectsLeftAtFootTest, NothingIsLeftBeforeAPageThatOpensMidParagraphOrBesideABlankPage) {
    const std::string midParagraph =
        "<text:p>" + frame("First", "paragraph") + "th" + mark(2) + "ree</text:p>";
    EXPECT_TRUE(load(midParagraph, {{}, begunBefore()}).leftBefore(2).empty())
        << "the paragraph's first part holds its objects already";

    const std::string afterBlank =
        "<text:p>one</text:p><text:p>" + frame("Left", "paragraph") + mark(3) + "three</text:p>";
    EXPECT_TRUE(load(afterBlank, {{}, blank(), begunBefore()}).leftBefore(3).empty());
    PlannedPage blankBegunBefore = blank();
    blankBegunBefore.openingParagraphBegunBefore = true;
    EXPECT_TRUE(load(afterBlank, {{}, blankBegunBefore, {}}).leftBefore(2).empty());
}

TEST_F(ObjectsLeftAtFootTest, ThePageBeforeHoldsTheObjectsAtItsFootInAParagraphOfNoHeight) {
    const ObjectsLeftAtFoot& objects = load(kBody, {{}, begunBefore()});
    document_->page(1);
    BodyRangeCopier copier(document_->facts(), document_->outputStyles(), "2");
    objects.holdAtFoot(1, document_->outputText(), copier, document_->outputStyles());

    const pugi::xml_node holder = document_->outputText().last_child();
    EXPECT_EQ(framesIn(holder), std::vector<std::string>{"Left"});
    EXPECT_EQ(std::string(holder.text().get()), "");
    const std::string style = document_->outputStyle(holder.attribute("text:style-name").value());
    EXPECT_NE(style.find(R"(fo:line-height="0.002cm")"), std::string::npos) << style;
    EXPECT_NE(style.find(R"(fo:break-before="auto")"), std::string::npos) << "no page break before the foot";
    EXPECT_EQ(style.find("style:master-page-name"), std::string::npos) << "nor a page style";

    // The last page holds nothing for a page after it.
    document_->page(2);
    const std::string lastPage = innerXml(document_->outputText());
    objects.holdAtFoot(2, document_->outputText(), copier, document_->outputStyles());
    EXPECT_EQ(innerXml(document_->outputText()), lastPage);
}

TEST_F(ObjectsLeftAtFootTest, ThePageThatHoldsTheTextLeavesThemOut) {
    const ObjectsLeftAtFoot& objects = load(kBody, {{}, begunBefore()});
    document_->page(2);
    objects.dropFromOpening(2, document_->outputText());
    const pugi::xml_node opening = document_->outputText().child("text:p");
    EXPECT_EQ(framesIn(opening), (std::vector<std::string>{"InLine", "AtCharacter"}));
    EXPECT_NE(innerXml(opening).find("two"), std::string::npos);

    load(kBody, {{}, {}});
    document_->page(2);
    objects_->dropFromOpening(2, document_->outputText());
    EXPECT_EQ(framesIn(document_->outputText()), (std::vector<std::string>{"Left", "InLine", "AtCharacter"}));
}

}  // namespace
}  // namespace fk::slicer
