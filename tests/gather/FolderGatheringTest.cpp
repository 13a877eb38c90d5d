#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakeOfficeSession.h"
#include "gather/DocumentExtensions.h"
#include "gather/FolderGathering.h"
#include "slicer/PageOrigin.h"

using namespace fk;

namespace {

struct NameCase {
    const char* name;
    bool gathered;
    bool document;
};

class FolderGatheringTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.path() + "/in";
        QDir().mkpath(root);
    }
    void touch(const QString& relative) {
        const QString path = root + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    QStringList documents(bool recursive = true) const {
        QStringList found;
        for (const QString& path : GatherFolder(root, recursive).documents)
            found << path.mid(root.size() + 1);
        return found;
    }
    QStringList problems() const {
        QStringList found;
        for (const GatheredFolder::Problem& problem : GatherFolder(root, true).problems)
            found << QFile::decodeName(problem.nativePath).mid(root.size() + 1) + ": " + problem.text;
        return found;
    }

    QTemporaryDir dir;
    QString root;
};

}  // namespace

TEST(DocumentExtensions, GatheredBySuffixInAnyCaseDocumentsByTheirLastExtension) {
    const NameCase cases[] = {
        {"report.odt", true, true},    {"REPORT.SXW", true, true},   {"t.Ott", true, true},
        {"old.stw", true, true},       {"x.odtx", false, false},     {"a.odt.bak", false, false},
        {"report.odt ", false, false}, {"odt", false, false},        {".odt", false, true},
        {"letter.docx", false, true},  {"a.DOC", false, true},       {"page.pdf", false, true},
        {"run.json", false, false},    {"notes.odt~", false, false}, {"a.fodt", false, true},
        {"report.odp", false, true},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(HasGatheredExtension(c.name), c.gathered) << c.name;
        EXPECT_EQ(HasDocumentExtension(c.name), c.document) << c.name;
    }
}

TEST_F(FolderGatheringTest, DocumentsBySuffixInPathOrderWithoutHiddenOrLockNames) {
    for (const char* name : {"b.odt", "A.ODT", "a.odt", "c.ott", "notes.odt/inner.txt", "x.odtx", "y.odt.bak",
                             "plain.txt", ".hidden.odt", "~lock.odt", ".~lock.a.odt#", ".dot/in-hidden.odt",
                             "sub/d.sxw", "sub/deeper/e.stw", "Sub2/f.odt"})
        touch(name);
    EXPECT_EQ(documents(), QStringList({"A.ODT", "a.odt", "b.odt", "c.ott", "sub/d.sxw", "sub/deeper/e.stw",
                                        "Sub2/f.odt"}));
    EXPECT_EQ(documents(false), QStringList({"A.ODT", "a.odt", "b.odt", "c.ott"}));
    EXPECT_TRUE(problems().isEmpty()) << problems().join('\n').toStdString();
}

TEST_F(FolderGatheringTest, LinksAreFollowedInsideTheFolderOnlyAndEachFolderOnce) {
    touch("sub/a.odt");
    const QString outside = dir.path() + "/outside";
    QDir().mkpath(outside);
    QFile(outside + "/far.odt").open(QIODevice::WriteOnly);
    struct Link {
        const char* name;
        QString target;
    };
    const Link links[] = {
        {"inner.odt", root + "/sub/a.odt"},   // inside: gathered under its own name
        {"sub/up", root},                     // back up the tree: walked once
        {"far.odt", outside + "/far.odt"},    // out of the folder: reported
        {"away", outside},                    // a folder out of it: not entered
        {"gone.odt", root + "/missing.odt"},  // nowhere: reported
    };
    for (const Link& link : links) ASSERT_TRUE(QFile::link(link.target, root + "/" + link.name)) << link.name;

    EXPECT_EQ(documents(), QStringList({"inner.odt", "sub/a.odt"}));
    EXPECT_EQ(problems(), QStringList({"far.odt: link leads out of the folder, not split",
                                       "gone.odt: link leads nowhere, not split"}));
}

TEST_F(FolderGatheringTest, AnythingElseWithADocumentsNameIsListedAndUnreadableFoldersReported) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/pipe.odt").constData(), 0600), 0);
    touch("locked/a.odt");
    ASSERT_TRUE(QFile::setPermissions(root + "/locked", QFileDevice::WriteOwner));
    const bool unreadable = !QDir(root + "/locked").isReadable();
    EXPECT_EQ(documents(),
              (unreadable ? QStringList() : QStringList{"locked/a.odt"}) + QStringList{"pipe.odt"});
    if (unreadable) {
        ASSERT_EQ(problems().size(), 1);
        EXPECT_TRUE(problems()[0].startsWith("locked: folder could not be read: "))
            << problems()[0].toStdString();
    }
    QFile::setPermissions(root + "/locked",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Both faces gather a folder by this rule, so a second run over a folder split into itself splits
// the documents again, not their pages; only a page whose document lies beside it is left out.
TEST_F(FolderGatheringTest, OwnPagesBesideTheirDocumentAreLeftOut) {
    const auto page = [&](const QString& relative, const std::string& origin) {
        touch(relative);
        test::FakeOfficeSession::writePackage(root + "/" + relative, "page",
                                              QByteArray::fromStdString(slicer::WithPageOrigin({}, origin)));
    };
    touch("a.odt");
    page("a_0001.odt", "a.odt");
    page("b_0001.odt", "b.odt");
    page("sub/a_0002.odt", "a.odt");
    page("sub/c_0001.odt", "../a.odt");
    touch("sub/d.odt");
    page("sub/d.odt_0001.odt", "d.odt");
    EXPECT_EQ(documents(),
              (QStringList{"a.odt", "b_0001.odt", "sub/a_0002.odt", "sub/c_0001.odt", "sub/d.odt"}));
}
