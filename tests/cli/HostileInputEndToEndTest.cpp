// folioknife-split against what a hostile shared folder or a careless user puts in its way, with real
// headless offices: what stands at a lock file's name, failures told by their causes, and documents
// that would keep an office busy for good.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "ProcessTable.h"
#include "QtPrinters.h"
#include "TestOffice.h"
#include "UnfoldingDocument.h"
#include "fsutil/ProgramFolder.h"
#include "split/OutputNames.h"

using namespace fk;
using namespace fk::test;

namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
    double seconds = 0;
};

class HostileInputEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        office_ = new TestOffice;
        documents_ = new QTemporaryDir;
        auto make = [](const QString& name, int pages) {
            TestOffice::Content content;
            for (int page = 1; page <= pages; ++page)
                content.pages << QStringLiteral("%1 page %2").arg(name).arg(page);
            office_->makeDocument(documents_->filePath(name + QStringLiteral(".odt")), content);
        };
        make(QStringLiteral("plain"), 2);
        make(QStringLiteral("sixty"), 60);
    }
    static void TearDownTestSuite() {
        delete office_;
        delete documents_;
    }
    ~HostileInputEndToEnd() override {
        // Whatever a run left behind is stopped here, by process id, and counts as a failure.
        QList<pid_t> left;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const pid_t pid = entry.toInt(&number);
            if (number && pid != ::getpid() && CommandLine(pid).contains(QFile::encodeName(cache())))
                left << pid;
        }
        for (const pid_t pid : left) ::kill(pid, SIGKILL);
        EXPECT_TRUE(left.isEmpty()) << left.size() << " office processes were left running";
    }

    // A copy of a test document in the test's own folder, where the run may find anything beside it.
    QString copy(const QString& name, const QString& as) const {
        const QString path = work_.filePath(as);
        EXPECT_TRUE(QFile::copy(documents_->filePath(name + QStringLiteral(".odt")), path));
        return path;
    }
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString path = work_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString cache() const { return work_.filePath(QStringLiteral("cache")); }
    QStringList outputs() const { return QDir(work_.filePath("out")).entryList(QDir::Files, QDir::Name); }

    QProcess* start(const QStringList& arguments) {
        auto* process = new QProcess;
        process->setProcessEnvironment(SplitEnvironment(work_.path()));
        process->setWorkingDirectory(work_.path());
        process->start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                       QStringList{QStringLiteral("-o"), QStringLiteral("out")} + arguments);
        EXPECT_TRUE(process->waitForStarted());
        clock_.start();
        return process;
    }
    Outcome finish(QProcess* process, int limitMs = 300000) {
        const bool ended = process->waitForFinished(limitMs);
        if (!ended) process->kill(), process->waitForFinished();
        Outcome run{ended && process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1,
                    QString::fromUtf8(process->readAllStandardOutput()),
                    QString::fromUtf8(process->readAllStandardError()), clock_.elapsed() / 1000.0};
        delete process;
        return run;
    }
    Outcome split(const QStringList& arguments, int limitMs = 300000) {
        return finish(start(arguments), limitMs);
    }

    QString encryptedWordFile();
    QString textNoise();

    static TestOffice* office_;
    static QTemporaryDir* documents_;
    QTemporaryDir work_;
    QElapsedTimer clock_;
};

TestOffice* HostileInputEndToEnd::office_ = nullptr;
QTemporaryDir* HostileInputEndToEnd::documents_ = nullptr;

// Locks.

TEST_F(HostileInputEndToEnd, WhatIsNoFileAtALockFilesNameFailsItsDocumentAndTheRunEnds) {
    const struct {
        const char* document;
        const char* shown;
        std::function<void(const QByteArray& lock)> plant;
    } cases[] = {
        {"piped.odt", "is a named pipe", [](const QByteArray& lock) { ASSERT_EQ(::mkfifo(lock, 0600), 0); }},
        {"linked.odt", "is a link",
         [](const QByteArray& lock) { ASSERT_EQ(::symlink("/dev/zero", lock), 0); }},
    };
    QStringList inputs;
    for (const auto& test : cases) {
        inputs << copy(QStringLiteral("plain"), test.document);
        test.plant(QFile::encodeName(LockFilePath(inputs.last())));
    }
    inputs << copy(QStringLiteral("plain"), QStringLiteral("fine.odt"));

    // Before, the office blocked for good on the pipe, and with two jobs the run never ended.
    const Outcome run = split(QStringList{QStringLiteral("--jobs"), QStringLiteral("2")} + inputs, 120000);

    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    for (qsizetype i = 0; i < std::ssize(cases); ++i) {
        EXPECT_TRUE(run.err.contains(inputs[i] + ": " + LockFilePath(inputs[i]) + " " + cases[i].shown))
            << run.err.toStdString();
        EXPECT_TRUE(QFileInfo(LockFilePath(inputs[i])).isSymLink() ||
                    QFileInfo::exists(LockFilePath(inputs[i])))
            << "left as it was";
    }
    EXPECT_EQ(outputs(), (QStringList{"fine_0001.odt", "fine_0002.odt"}));
}

// Causes.

// A Word 97 document saved with a password, by the office itself.
QString HostileInputEndToEnd::encryptedWordFile() {
    const QString encrypted = work_.filePath(QStringLiteral("encrypted.doc"));
    office::DocumentStore& store = office_->documents();
    const office::DocumentRef document =
        store.load(ToFileUrl(documents_->filePath("plain.odt")), {.hidden = true, .readOnly = true});
    store.storeToUrl(document, ToFileUrl(encrypted),
                     {{QStringLiteral("FilterName"), QStringLiteral("MS Word 97")},
                      {QStringLiteral("Password"), QStringLiteral("secret")}});
    store.close(document);
    return encrypted;
}

// A compound file's signature, then noise: the office takes it for text.
QString HostileInputEndToEnd::textNoise() {
    QByteArray noise("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    QRandomGenerator random(31);
    while (noise.size() < 20000) noise.append(static_cast<char>(random.bounded(256)));
    return write(QStringLiteral("garbage.doc"), noise);
}

TEST_F(HostileInputEndToEnd, EachFailureIsToldByItsOwnCause) {
    const QString encrypted = encryptedWordFile();
    const QString garbage = textNoise();
    // Another run at work on the same document holds the office profile its lock file names.
    const QString held = copy(QStringLiteral("plain"), QStringLiteral("held.odt"));
    const QString otherRunsProfile = cache() + QStringLiteral("/folioknife/offices/7");
    QDir().mkpath(otherRunsProfile);
    const int otherRun =
        ::open(QFile::encodeName(otherRunsProfile + ".lock"), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(otherRun, LOCK_EX | LOCK_NB), 0);
    write(QStringLiteral(".~lock.held.odt#"),
          ("Ada,ada,tabulator,09.12.2026 03:00," + ToFileUrl(otherRunsProfile) + ";").toUtf8());
    const QString first = copy(QStringLiteral("sixty"), QStringLiteral("first.odt"));
    const QString vanishing = copy(QStringLiteral("plain"), QStringLiteral("vanishing.odt"));

    QProcess* process = start({QStringLiteral("--verbose"), QStringLiteral("--every"), QStringLiteral("7"),
                               first, vanishing, encrypted, garbage, held});
    // Gone once the office has the first document, long before it takes this one.
    WaitUntil([&] { return QFileInfo::exists(LockFilePath(first)); }, 120000);
    QFile::remove(vanishing);
    const Outcome run = finish(process);
    ::close(otherRun);

    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const struct {
        QString document;
        QString cause;
    } told[] = {
        {vanishing, "the document vanished: it was removed or renamed during the run (open)"},
        {encrypted, "the document needs a password"},
        {garbage, "LibreOffice reads it only as plain text"},
        {held, "the document is open in Ada on tabulator since 09.12.2026 03:00"},
    };
    for (const auto& test : told) {
        EXPECT_TRUE(run.err.contains(test.document + ": " + test.cause)) << run.err.toStdString();
        EXPECT_EQ(run.err.count(test.document + ": "), 1) << "told once: " << test.document.toStdString();
    }
    EXPECT_FALSE(run.err.contains("may be damaged")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("--verbose adds")) << "it was given";
    EXPECT_TRUE(outputs().filter("garbage").isEmpty()) << "no mojibake pages";
    EXPECT_EQ(outputs().filter("first_").size(), 9);
    EXPECT_TRUE(run.out.contains("9 documents holding 60 pages written in")) << run.out.toStdString();
    // Not a count of 9 pages; the rate ("27.9 pages/s") may end in 9.
    EXPECT_FALSE(run.out.contains(QRegularExpression(QStringLiteral("(^|[^0-9.])9 pages"))))
        << run.out.toStdString();
}

// PDF pages are loaded and exported in one call of the office's: what it refuses is told by its cause
// all the same, and noise it reads as text is not exported.
TEST_F(HostileInputEndToEnd, PdfPagesOfAPasswordDocumentAndOfNoiseAreToldByTheirCauses) {
    const QString encrypted = encryptedWordFile();
    const QString garbage = textNoise();
    const Outcome run = split({QStringLiteral("--verbose"), QStringLiteral("--format"), QStringLiteral("pdf"),
                               encrypted, garbage});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(encrypted + ": the document needs a password")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(garbage + ": LibreOffice reads it only as plain text")) << run.err.toStdString();
    EXPECT_TRUE(outputs().isEmpty());
}

TEST_F(HostileInputEndToEnd, AFullTemporaryFolderIsNamed) {
    // $TMPDIR on a full file system of the run's own (a mount namespace).
    const QString full = work_.filePath(QStringLiteral("full"));
    QDir().mkpath(full);
    const QString plain = copy(QStringLiteral("plain"), QStringLiteral("plain.odt"));
    QProcess process;
    process.setProcessEnvironment(SplitEnvironment(work_.path()));
    process.setWorkingDirectory(work_.path());
    process.start(QStringLiteral("unshare"),
                  {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$1\" || exit 99; "
                                  "head -c 1000000 /dev/zero > \"$1/fill\"; "
                                  "TMPDIR=\"$1\" exec \"$0\" -o out \"$2\""),
                   ProgramFolder() + QStringLiteral("/folioknife-split"), full, plain});
    ASSERT_TRUE(process.waitForFinished(180000));
    if (process.exitCode() == 99 || process.error() == QProcess::FailedToStart)
        GTEST_SKIP() << "no mount namespace here for a full file system";
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(
        err.contains(plain + ": the temporary folder " + full + " ($TMPDIR) is full; make room there"))
        << err.toStdString();
    EXPECT_FALSE(err.contains("LibreOffice failed")) << err.toStdString();
}

// Resources.

TEST_F(HostileInputEndToEnd, ADocumentThatUnfoldsBeyondMeasureEndsAtTheDeadlineToldOnce) {
    const QString unfolding = work_.filePath(QStringLiteral("unfolding.odt"));
    test::WriteUnfoldingDocument(documents_->filePath("plain.odt"), unfolding);
    ASSERT_LT(QFileInfo(unfolding).size(), 2 << 20) << "small on disk";
    const QString after = copy(QStringLiteral("plain"), QStringLiteral("after.odt"));

    const Outcome run = split({QStringLiteral("--timeout"), QStringLiteral("8"), unfolding, after}, 180000);

    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_LT(run.seconds, 90) << "the deadline, an office start and the next document";
    EXPECT_EQ(run.err.count(unfolding + ": "), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(unfolding + ": the office did not finish this document within 8 s"))
        << run.err.toStdString();
    EXPECT_EQ(outputs(), (QStringList{"after_0001.odt", "after_0002.odt"})) << run.err.toStdString();
}

}  // namespace
