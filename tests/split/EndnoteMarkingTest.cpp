#include "split/EndnoteMarking.h"

#include <gtest/gtest.h>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "base/Failure.h"

using namespace fk;
using namespace fk::test;

namespace {

const QString kInput = QStringLiteral("file:///in/notes.odt");

class EndnoteMarkingTest : public ::testing::Test {
protected:
    void SetUp() override {
        office_.pageCounts.insert(kInput, 3);
        office_.reach();
        document_ = office_.load(kInput, {.hidden = true});
    }

    // The plan of three body pages, after the endnote pages are marked.
    std::vector<slicer::PlannedPage> markedPlan() {
        std::vector<slicer::PlannedPage> plan(3, slicer::PlannedPage{.pageStyle = "Standard"});
        EndnoteMarking(office_).mark(document_, plan, office_.countRenderedPages(document_));
        return plan;
    }

    FakeOfficeSession office_;
    office::DocumentRef document_;
};

TEST_F(EndnoteMarkingTest, PagesBeyondTheBodysAreMarkedAsEndnotePagesAfterIt) {
    office_.endnotePages = 2;
    office_.basicAnswers.insert(EndnoteMarking::kFunction, {"+Endnote", "+Endnote"});
    const std::vector<slicer::PlannedPage> plan = markedPlan();
    ASSERT_EQ(plan.size(), 5u);
    EXPECT_FALSE(plan[2].endnotes);
    EXPECT_TRUE(plan[3].endnotes && plan[4].endnotes);
    EXPECT_EQ(plan[4].pageStyle, "Endnote");
    EXPECT_EQ(office_.calls.filter("runBasic").value(0),
              "runBasic(FolioknifeSplit.EndnoteMarks.MarkEndnotePages, 4 5)");
}

TEST_F(EndnoteMarkingTest, WithoutEndnotePagesTheOfficeIsNotAskedToMark) {
    EXPECT_EQ(markedPlan().size(), 3u);
    EXPECT_TRUE(office_.calls.filter("runBasic").isEmpty());
}

TEST_F(EndnoteMarkingTest, AnEndnotePageTheOfficeCannotReachOrAnOfficeWithoutBasicLeavesThePlanAsItWas) {
    office_.endnotePages = 2;
    office_.basicAnswers.insert(EndnoteMarking::kFunction, {"+Endnote", "-"});
    EXPECT_EQ(markedPlan().size(), 3u);
    office_.basicAnswers.clear();
    office_.basicAnswer.reset();
    EXPECT_EQ(markedPlan().size(), 3u);
}

TEST_F(EndnoteMarkingTest, AnAnswerThatIsNotOursIsTheOfficesFailure) {
    office_.endnotePages = 2;
    office_.basicAnswers.insert(EndnoteMarking::kFunction, {"+Endnote"});
    EXPECT_THROW(markedPlan(), Failure) << "a page missing";
    office_.basicAnswers.insert(EndnoteMarking::kFunction, {"+Endnote", "Endnote"});
    EXPECT_THROW(markedPlan(), Failure);
}

}  // namespace
