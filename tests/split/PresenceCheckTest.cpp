#include <gtest/gtest.h>

#include "FakeOfficeBridge.h"
#include "FakePrompts.h"
#include "split/PresenceCheck.h"

using namespace fk;
using namespace fk::test;

TEST(PresenceCheck, PresentOfficeShowsNothing) {
    FakeOfficeBridge office;
    FakePrompts prompts;
    int ended = 0;
    IsOpenOfficeInstalled(office, prompts, [&] { ++ended; });
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(ended, 0);
}

TEST(PresenceCheck, MissingOfficeAsksOffersThePageAndEnds) {
    for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        FakeOfficeBridge office;
        office.available = false;
        FakePrompts prompts;
        prompts.setApplicationTitle("Folioknife");
        prompts.messageAnswers.enqueue(answer);
        int ended = 0;
        IsOpenOfficeInstalled(office, prompts, [&] { ++ended; });
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_EQ(prompts.messages[0].style, kYesNo);
        EXPECT_EQ(prompts.messages[0].title, "Folioknife");
        EXPECT_EQ(prompts.openedAddresses,
                  answer == MessageAnswer::Yes ? QStringList{kOfficeDownloadPage} : QStringList{});
        EXPECT_EQ(ended, 1);
    }
}

TEST(PresenceCheck, MessageReadsLineByLine) {
    const QString text = OfficeMissingMessage();
    EXPECT_TRUE(text.startsWith(
        "Error 214878392\r\n\r\nOpenOffice is required to run this software. It is not "
        "installed on this computer.\r\rWoud you like to open this site now?\r\n\r\n(If you"));
    EXPECT_TRUE(text.endsWith("'About' window to support@kestrune.com)"));
    EXPECT_TRUE(kOfficeDownloadPage.startsWith("https://") &&
                kOfficeDownloadPage.endsWith("/download/index.html"));
}
