#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "FakeOfficeSession.h"
#include "QtPrinters.h"
#include "split/DocumentOpening.h"

using namespace fk;

namespace {

// The failure opening `document` ends in; an empty message when it opened.
Failure Open(test::FakeOfficeSession& office, const QString& document) {
    try {
        OpenForSplitting(office, document, {.hidden = true});
        return {FailureKind::Other, {}};
    } catch (const Failure& failure) {
        return failure;
    }
}

// The office would block for good opening a named pipe at its lock file's name, waiting for a writer.
// (Pipes and links are run against a real office end to end.)
TEST(DocumentOpening, WhatIsNoFileAtTheLockFilesNameFailsTheDocumentBeforeTheOfficeSeesIt) {
    QTemporaryDir folder;
    const QString document = folder.filePath("report.odt");
    const QString lock = folder.filePath(".~lock.report.odt#");
    test::FakeOfficeSession office;
    office.reach();
    office.pageCounts.insert(ToFileUrl(document), 1);
    const auto bindSocket = [&] {
        const int unixSocket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(lock);
        std::copy(name.begin(), name.end(), address.sun_path);
        ASSERT_EQ(::bind(unixSocket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(unixSocket);
    };
    const struct {
        QString shown;
        std::function<void()> plant, remove;
    } cases[] = {
        {"a socket", bindSocket, [&] { QFile::remove(lock); }},
        {"a folder", [&] { ASSERT_TRUE(QDir().mkdir(lock)); }, [&] { QDir().rmdir(lock); }},
    };
    for (const auto& test : cases) {
        test.plant();
        const Failure failure = Open(office, document);
        EXPECT_EQ(failure.kind(), FailureKind::LockNotAFile);
        EXPECT_EQ(failure.message(), lock + " is " + test.shown);
        test.remove();
    }
    EXPECT_FALSE(office.calls.join(' ').contains("load")) << "the office never touched it";
    EXPECT_EQ(Open(office, document).message(), QString()) << "and opens it once the name is free";
}

TEST(DocumentOpening, PlainTextFallbackIsDamageAndAStaleLockOfTheOfficesOwnNamesNobody) {
    QTemporaryDir folder;
    const QString document = folder.filePath("report.doc");
    QFile(document).open(QIODevice::WriteOnly);
    test::FakeOfficeSession office;
    office.profile = "/cache/folioknife/offices/1";
    office.reach();
    office.pageCounts.insert(ToFileUrl(document), 2);
    office.filters.insert(ToFileUrl(document), "Text (encoded)");
    const Failure mojibake = Open(office, document);
    EXPECT_EQ(mojibake.kind(), FailureKind::Damaged);
    EXPECT_EQ(office.openDocuments(), 0) << "closed again";

    office.pageCounts.clear();  // the office refuses it now, for the lock an earlier load of its own left
    QFile lock(folder.filePath(".~lock.report.doc#"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("Ada,ada,analytical,08.12.2026 09:15,file:///cache/folioknife/offices/1;");
    lock.close();
    EXPECT_EQ(Open(office, document).kind(), FailureKind::OfficeRefused);
    office.profile = "/cache/folioknife/offices/2";  // another run's office left it: that run is named
    EXPECT_EQ(Open(office, document).message(), "Ada on analytical since 08.12.2026 09:15");
}

}  // namespace
