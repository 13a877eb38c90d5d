#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "FakeOfficeSession.h"
#include "FakePrompts.h"
#include "app/PresenceCheck.h"
#include "app/RuntimeError.h"
#include "split/LibreOfficeSession.h"

using namespace fk;
using namespace fk::test;

TEST(PresenceCheck, PresentOfficeShowsNothing) {
    FakeOfficeSession office;
    FakePrompts prompts;
    int ended = 0;
    IsOpenOfficeInstalled(office, prompts, [&] { ++ended; });
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(ended, 0);
}

TEST(PresenceCheck, MissingOrUnrunnableOfficeAsksOffersThePageAndEnds) {
    QTemporaryDir dir;
    const QString notRunnable = dir.filePath("soffice");
    QFile program(notRunnable);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\n");
    program.close();
    for (const QString& soffice : {QStringLiteral("/nonexistent/office/program/soffice"), notRunnable}) {
        for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
            LibreOfficeSession office({soffice, true, {}});
            FakePrompts prompts;
            prompts.setApplicationTitle("Folioknife");
            prompts.messageAnswers.enqueue(answer);
            int ended = 0;
            IsOpenOfficeInstalled(office, prompts, [&] { ++ended; });
            ASSERT_EQ(prompts.messages.size(), 1);
            EXPECT_EQ(prompts.messages[0].text, OfficeMissingMessage());
            EXPECT_EQ(prompts.messages[0].style, kYesNo);
            EXPECT_EQ(prompts.messages[0].title, "Folioknife");
            EXPECT_EQ(prompts.openedAddresses,
                      answer == MessageAnswer::Yes ? QStringList{kOfficeDownloadPage} : QStringList{});
            EXPECT_EQ(ended, 1);
        }
    }
}

TEST(PresenceCheck, OtherFailuresGoToTheCallersReportWithoutTheOfferOrTheEnd) {
    // The office program is there, the plugin that talks to it is not.
    LibreOfficeSession withoutPlugin({QCoreApplication::applicationFilePath(), true, {}},
                                     QStringLiteral("/nonexistent/libfolioknife-uno.so"));
    FakeOfficeSession unreachable;
    unreachable.available = false;
    for (office::OfficeSession* office : {static_cast<office::OfficeSession*>(&withoutPlugin),
                                          static_cast<office::OfficeSession*>(&unreachable)}) {
        FakePrompts prompts;
        int ended = 0;
        try {
            IsOpenOfficeInstalled(*office, prompts, [&] { ++ended; });
            ADD_FAILURE() << "the failure was not passed on";
        } catch (const Failure& error) {
            EXPECT_EQ(error.kind(), FailureKind::OfficeUnreachable);
        }
        EXPECT_TRUE(prompts.messages.isEmpty());
        EXPECT_TRUE(prompts.openedAddresses.isEmpty());
        EXPECT_EQ(ended, 0);
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
