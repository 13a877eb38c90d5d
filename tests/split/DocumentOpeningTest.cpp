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
using namespace fk::test;

namespace {

class DocumentOpeningTest : public ::testing::Test {
protected:
    DocumentOpeningTest() {
        QFile file(document);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("PK\x03\x04");
    }
    // The failure opening the document ends in; Other with an empty message when it opened.
    Failure open() { return open(office); }
    Failure open(FakeOfficeSession& session) {
        try {
            OpenForSplitting(session, document, {.hidden = true});
            return {FailureKind::Other, {}};
        } catch (const Failure& failure) {
            return failure;
        }
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir folder;
    const QString document = folder.filePath("report.odt");
    const QString lock = folder.filePath(".~lock.report.odt#");
    const QString url = ToFileUrl(document);
    FakeOfficeSession office;
};

// The office would block for good opening a named pipe at its lock file's name, waiting for a writer.
TEST_F(DocumentOpeningTest, AnythingButAFileAtTheLockFilesNameFailsTheDocumentBeforeTheOfficeSeesIt) {
    const struct {
        const char* shown;
        std::function<void(const QString&)> plant;
    } cases[] = {
        {"a named pipe", [](const QString& at) { ASSERT_EQ(::mkfifo(QFile::encodeName(at), 0600), 0); }},
        {"a link", [](const QString& at) { ASSERT_TRUE(QFile::link("/dev/zero", at)); }},
        {"a folder", [](const QString& at) { ASSERT_TRUE(QDir().mkdir(at)); }},
        {"a socket",
         [](const QString& at) {
             const int unixSocket = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             const QByteArray name = QFile::encodeName(at);
             ASSERT_LT(name.size(), qsizetype(sizeof address.sun_path));
             std::copy(name.begin(), name.end(), address.sun_path);
             ASSERT_EQ(::bind(unixSocket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(unixSocket);
         }},
    };
    office.reach();
    office.pageCounts.insert(url, 1);
    for (const auto& test : cases) {
        SCOPED_TRACE(test.shown);
        test.plant(lock);
        office.calls.clear();
        const Failure failure = open();
        EXPECT_EQ(failure.kind(), FailureKind::LockNotAFile);
        EXPECT_EQ(failure.message(), lock + " is " + test.shown);
        EXPECT_FALSE(office.calls.join(' ').contains("load")) << "the office never touches it";
        QFileInfo(lock).isDir() ? QDir().rmdir(lock) : QFile::remove(lock);
    }
    write(lock, "Ada,ada,analytical,08.12.2026 09:15,file:///elsewhere;");
    EXPECT_EQ(open().message(), QString()) << "a lock file proper is the office's to judge";
}

TEST_F(DocumentOpeningTest, ARefusalIsToldByWhatCausedIt) {
    const QString others = "file:///cache/folioknife/offices/2";
    const QString own = "/cache/folioknife/offices/1";
    FakeOfficeSession session;
    const struct {
        const char* name;
        std::function<void()> arrange;
        FailureKind kind;
        QString message;
    } cases[] = {
        {"read only as plain text",
         [&] {
             session.pageCounts.insert(url, 2);
             session.filters.insert(url, "Text (encoded)");
         },
         FailureKind::Damaged, "LibreOffice reads it only as plain text (its \"Text (encoded)\" filter)"},
        {"removed during the run", [&] { QFile::remove(document); }, FailureKind::NotFound,
         "the document vanished"},
        // Two runs at once: the other run's office holds it with a profile under the same cache.
        {"held by another run's office",
         [&] { write(lock, ("Ada,ada,analytical,08.12.2026 09:15," + others + ";").toUtf8()); },
         FailureKind::Locked, "Ada on analytical since 08.12.2026 09:15"},
        {"left by this very office, killed while it loaded",
         [&] { write(lock, ("Ada,ada,analytical,08.12.2026 09:15,file://" + own + ";").toUtf8()); },
         FailureKind::OfficeRefused, "cannot load " + url},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        session.pageCounts.clear();
        session.profile = own;
        session.reach();
        write(document, "PK\x03\x04");
        QFile::remove(lock);
        test.arrange();
        const Failure failure = open(session);
        EXPECT_EQ(failure.kind(), test.kind);
        EXPECT_EQ(failure.message(), test.message);
        EXPECT_EQ(session.openDocuments(), 0) << "a document that is failed is not left open";
    }
}

}  // namespace
