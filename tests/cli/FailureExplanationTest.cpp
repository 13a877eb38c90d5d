#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "Bounds.h"
#include "QtPrinters.h"
#include "cli/FailureExplanation.h"
#include "cli/LibreOfficeJobOffice.h"
#include "split/DocumentOpening.h"

using namespace fk;
using namespace fk::cli;

namespace {

// What the command line says of a document the office refused to open, by the cause its folder shows.
QString ExplainRefusal(const QString& document, bool verbose = false) {
    const Failure cause =
        CauseOfRefusal(document, Failure::officeRefused(QStringLiteral("The document cannot be opened")));
    return FailureExplanation(verbose).text(
        {SplitStage::Open, 0, cause.message(), SplitAction::Unnamed, cause.kind()});
}

TEST(FailureExplanation, NamesWhoHoldsADocumentFromItsLockFile) {
    QTemporaryDir folder;
    const QString document = folder.filePath("report.odt");
    QFile lock(folder.filePath(".~lock.report.odt#"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("Ada Lovelace,ada,analytical,08.12.2026 09:15,file:///home/ada/.config/libreoffice/4;");
    lock.close();

    const QString text = ExplainRefusal(document);
    EXPECT_EQ(text,
              "the document is open in Ada Lovelace on analytical since 08.12.2026 09:15; close it there, "
              "or remove its lock file if that office is gone (open)");
    EXPECT_FALSE(text.contains("Automation error")) << "the office's words only with --verbose";
}

// Anyone who can write a document's folder can put anything under its lock file's name. None of it may
// hang the run, fill its memory or reach the terminal as anything but printable text on one line.
TEST(FailureExplanation, HostileLockFilesNeitherHangNorFloodTheReport) {
    using namespace std::chrono_literals;
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    struct Case {
        const char* name;
        std::function<void(const QString& lock)> plant;
        QString explanation;
    };
    const QString cannotOpen =
        "LibreOffice cannot open the document; it may be damaged or of a kind the office "
        "does not read (open)";
    const Case cases[] = {
        {"named pipe", [](const QString& lock) { ASSERT_EQ(::mkfifo(QFile::encodeName(lock), 0600), 0); },
         cannotOpen},
        {"link to /dev/zero", [](const QString& lock) { ASSERT_TRUE(QFile::link("/dev/zero", lock)); },
         cannotOpen},
        {"link to a lock elsewhere",
         [&write](const QString& lock) {
             write(lock + ".real", "Ada,analytical,ada,08.12.2026 09:15,file:///tmp/profile;");
             ASSERT_TRUE(QFile::link(lock + ".real", lock));
         },
         cannotOpen},
        {"300 MB",
         [](const QString& lock) {
             QFile file(lock);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             ASSERT_TRUE(file.resize(qint64{300} << 20));
         },
         "the document is open in another office; close it there, or remove its lock file if that office is "
         "gone (open)"},
        {"control characters",
         [&write](const QString& lock) {
             write(lock, "Mallory\x1b[2J\r\n,user,host\x07,date\x7f\u202e,private:profile;");
         },
         "the document is open in Mallory\uFFFD[2J\uFFFD\uFFFD on host\uFFFD since date\uFFFD\uFFFD; close "
         "it "
         "there, or remove its lock file if that office is gone (open)"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        QTemporaryDir folder;
        const QString document = folder.filePath("report.odt");
        const QString lock = folder.filePath(".~lock.report.odt#");
        test.plant(lock);

        const long peakBefore = fk::test::PeakResidentKiB();
        auto explanation = std::make_shared<QString>();
        auto removed = std::make_shared<bool>(true);
        EXPECT_TRUE(fk::test::EndsWithin(2s, [=] {
            *explanation = ExplainRefusal(document);
            *removed = RemoveStaleLockFile(document, [](const QString&) { return true; });
        }));
        EXPECT_LT(fk::test::PeakResidentKiB() - peakBefore, 32 * 1024);
        EXPECT_EQ(*explanation, test.explanation);
        EXPECT_FALSE(*removed) << "none of them is a lock of a profile of ours";
        EXPECT_TRUE(QFileInfo(lock).isSymLink() || QFileInfo::exists(lock));
    }
}

TEST(FailureExplanation, VerboseAddsTheOfficesWordsAndPagesComeFirst) {
    QTemporaryDir folder;
    const QString text = ExplainRefusal(folder.filePath("broken.odt"), true);
    EXPECT_TRUE(text.startsWith("LibreOffice cannot open the document")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("[office: The document cannot be opened] (open)")) << text.toStdString();

    const SplitFailure store{SplitStage::Store, 7, "disk full"};
    EXPECT_EQ(FailureExplanation(true).text(store), "page 7: disk full (store)");
}

TEST(FailureExplanation, APageNameTooLongForTheFileSystemIsSaidSo) {
    // A name that fits the file system, but not with the private name a page is first stored under.
    const SplitFailure store{SplitStage::Store, 1, "Cannot write: File name too long", SplitAction::Unnamed,
                             FailureKindOfErrno(ENAMETOOLONG)};
    const QString text = FailureExplanation(false).text(store);
    EXPECT_TRUE(text.contains("too long for the file system")) << text.toStdString();
    const SplitFailure other{SplitStage::Store, 1, "disk full"};
    EXPECT_EQ(FailureExplanation(false).text(other), "page 1: disk full (store)");
}

TEST(FailureExplanation, TheOfficesOwnWordsOnlyWithVerbose) {
    const SplitFailure gone{SplitStage::Mark, 0,
                            "Automation error: Binary URP bridge disposed during call at "
                            "./binaryurp/source/bridge.cxx:843",
                            SplitAction::Unnamed, FailureKind::OfficeRefused};
    EXPECT_EQ(FailureExplanation(false).text(gone),
              "LibreOffice failed at this step; --verbose adds the office's own words (mark pages)");
    EXPECT_TRUE(FailureExplanation(true).text(gone).contains("[office: Automation error: Binary URP"));
    SplitFailure lost = gone;
    lost.kind = FailureKind::OfficeGone;
    EXPECT_TRUE(FailureExplanation(false).text(lost).startsWith("LibreOffice went away during this step"));
    const SplitFailure ours{SplitStage::Slice, 0, "the slicer does not understand page 2: a frame",
                            SplitAction::Unnamed, FailureKind::NotUnderstood};
    EXPECT_EQ(FailureExplanation(false).text(ours), "the slicer does not understand page 2: a frame (slice)");
}

// Causes the job tells by kind, each in words of its own; with --verbose the office's words follow,
// and the hint that they would is left out.
TEST(FailureExplanation, CausesAreWordedByKindAndVerboseDoesNotOfferItself) {
    const struct {
        SplitFailure failure;
        bool verbose;
        QString text;
    } cases[] = {
        {{SplitStage::Open, 0, "/in/.~lock.a.odt# is a named pipe", SplitAction::Unnamed,
          FailureKind::LockNotAFile},
         false,
         "/in/.~lock.a.odt# is a named pipe where LibreOffice keeps the document's lock file, and the office "
         "would hang on it, so the document was not opened; remove it and split again (open)"},
        {{SplitStage::Open, 0, "the document vanished", SplitAction::Unnamed, FailureKind::NotFound},
         true,
         "the document vanished: it was removed or renamed during the run (open)"},
        {{SplitStage::Open, 0, "LibreOffice reads it only as plain text (its \"Text\" filter)",
          SplitAction::Unnamed, FailureKind::Damaged},
         false,
         "LibreOffice reads it only as plain text (its \"Text\" filter); the document is damaged or not of "
         "the "
         "kind its name says (open)"},
        {{SplitStage::Store, 0, "no space left in /tmp/run", SplitAction::Unnamed, FailureKind::NoSpace},
         false,
         "no space left in /tmp/run; make room there and split again (store)"},
        {{SplitStage::Mark, 0, "bridge disposed", SplitAction::Unnamed, FailureKind::OfficeGone},
         true,
         "LibreOffice went away during this step (it crashed or was stopped) [office: bridge disposed] (mark "
         "pages)"},
        {{SplitStage::Store, 0, "SfxBaseModel::impl_store failed", SplitAction::Unnamed,
          FailureKind::OfficeRefused},
         true,
         "LibreOffice failed at this step [office: SfxBaseModel::impl_store failed] (store)"},
    };
    for (const auto& test : cases) EXPECT_EQ(FailureExplanation(test.verbose).text(test.failure), test.text);
}

TEST(FailureExplanation, ANameTooLongForTheOfficesLockFileIsNotCalledDamaged) {
    // ".~lock.NAME#" adds 8 bytes to the name, and must fit the file system's 255.
    const QString longest = "/in/" + QString(243, 'x') + ".odt";
    EXPECT_TRUE(ExplainRefusal(longest).startsWith("LibreOffice cannot open"));
    const QString text = ExplainRefusal("/in/" + QString(244, 'x') + ".odt");
    EXPECT_EQ(text,
              "the document's name is too long for the lock file the office keeps beside it (.~lock.NAME# "
              "must fit in 255 bytes); rename the document to split it (open)");
}

TEST(FailureExplanation, AnOfficeThatDoesNotStartIsNamed) {
    const SplitFailure connect{SplitStage::Connect, 0, "ActiveX component can't create object"};
    const QString text = FailureExplanation(false).text(connect);
    EXPECT_TRUE(text.startsWith("LibreOffice could not be started")) << text.toStdString();
    EXPECT_FALSE(text.contains("ActiveX"));
    const SplitFailure interrupted{SplitStage::Connect, 0, "ActiveX component can't create object",
                                   SplitAction::Unnamed, FailureKind::Interrupted};
    EXPECT_EQ(FailureExplanation(false).text(interrupted),
              "the run was interrupted while LibreOffice was starting (connect)");
}

}  // namespace
