#include <gtest/gtest.h>

#include "FakePrompts.h"
#include "app/RuntimeError.h"
#include "app/StartUp.h"

using namespace fk;
using fk::test::FakePrompts;

TEST(SetAppTitle, CutsAtBlanksAndAlwaysDropsTheLastWord) {
    EXPECT_EQ(SetAppTitle(QStringLiteral("Folioknife")), "Folioknife");
    EXPECT_EQ(SetAppTitle(QStringLiteral("Kestrune Folio Knife")), "Kestrune Folio");
    EXPECT_EQ(SetAppTitle(QStringLiteral("A very long product name that goes on and on and on")),
              "A very long product name that goes on");
    EXPECT_EQ(SetAppTitle(QString(45, QLatin1Char('x'))).size(), 40);
}

TEST(OpenMakerSiteAtRandom, OpensTheHomePageOnlyOnDrawSeven) {
    for (double draw : {0.0, 0.05, 0.07, 0.999}) {
        FakePrompts prompts;
        OpenMakerSiteAtRandom([draw] { return draw; }, prompts);
        const bool seven = static_cast<int>(draw * 100) + 1 == 7;
        EXPECT_EQ(prompts.openedAddresses, seven ? QStringList{kMakerHomePage} : QStringList{}) << draw;
    }
    FakePrompts prompts;
    OpenMakerSiteAtRandom([] { return 0.065; }, prompts);
    EXPECT_EQ(prompts.openedAddresses, QStringList{kMakerHomePage});
}

TEST(GetDesktopFolder, AddsTheSeparatorOrFails) {
    EXPECT_EQ(GetDesktopFolder([](int) { return QStringLiteral("/home/ann/Desktop"); }),
              "/home/ann/Desktop/");
    EXPECT_EQ(GetDesktopFolder([](int) { return QStringLiteral("/"); }), "/");
    EXPECT_THROW(GetDesktopFolder([](int) { return QString(); }), RuntimeError);
}

TEST(HelpMessage, ShowsItsFixedTextAndTheContactPage) {
    EXPECT_EQ(
        HelpMessage(),
        "This software will split documents into one page documents. Unfortunately, sometimes the font and "
        "font "
        "size cannot be preserved so that splits do not come out perfect.\r\rQuestions? Please contact Team "
        "Kestrune at\rhttp://www.kestrune.com/contact/");
}
