#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "FakePrompts.h"
#include "MemorySettingsStore.h"
#include "app/AddFolderFiles.h"
#include "doclist/DocumentListView.h"

using namespace fk;
using namespace fk::test;

namespace {

// The real file system, but with attribute values this machine cannot make for some paths.
class AttributeOverrides : public LocalFileSystem {
public:
    int fileAttributes(const QString& path) override {
        return overrides.contains(path) ? overrides.value(path) : LocalFileSystem::fileAttributes(path);
    }
    QMap<QString, int> overrides;
};

// A drag that enters the list and is released there, as a file manager delivers it. Returns whether
// the list accepted the drag.
bool deliverDrop(DocumentListView& view, QMimeData& data) {
    view.resize(300, 200);
    view.show();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &enter);
    QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(QPointF(6, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
    return true;
}

class FolderScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.path();
        for (const char* folder : {"sub", "notes.odt", "sub/deeper"}) QDir().mkpath(root + "/" + folder);
        for (const char* file : {"a.odt", "B.ODT", "~lock.a.odt#", "plain.txt", ".hidden.odt", ".kept.odt",
                                 "notes.odt/inner.txt", "sub/c.sxw", "sub/d.doc", "sub/deeper/e.ott"}) {
            QFile out(root + "/" + file);
            out.open(QIODevice::WriteOnly);
            out.write("x");
        }
        fs.overrides.insert(root + "/.kept.odt", 35);  // hidden, archived and read-only
        QFile::link(root, root + "/sub/back-to-top");
    }

    void scan(const QString& answer, const QString& folder) {
        prompts.inputAnswers.enqueue(answer);
        prompts.folderAnswers.enqueue(folder);
        FolderScanServices services{prompts, settings, fs, pointer,
                                    [this] { busyWhileYielding << pointer.isBusy(); }};
        PushButton6_Click(services, list);
    }
    QStringList rows(const QString& prefix = {}) const {
        QStringList found;
        for (const QString& row : list.texts()) found << row.mid(prefix.size());
        return found;
    }

    QTemporaryDir dir;
    QString root;
    AttributeOverrides fs;
    FakePrompts prompts;
    MemorySettingsStore settings;
    WindowPointer pointer;
    DocumentListModel list;
    QList<bool> busyWhileYielding;
};

}  // namespace

TEST_F(FolderScanTest, AllFilesAnswerAppendsTheGatheredDocumentsInPathOrder) {
    scan("*", root);
    // Hidden names are left out, whatever their attributes; a folder named as a document is no document.
    EXPECT_EQ(rows(root + "/"), QStringList({"a.odt", "B.ODT", "sub/c.sxw", "sub/deeper/e.ott"}));
    EXPECT_EQ(prompts.inputPrompts, QStringList{kExtensionPrompt});
    EXPECT_EQ(prompts.inputPresets, QStringList{"*"});
    EXPECT_EQ(settings.values["Extension"], "*");
    EXPECT_EQ(settings.values["LastFolder"], root);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(FolderScanTest, ExtensionChoosesThePatternAndIsRemembered) {
    scan("odt", root);
    EXPECT_EQ(rows(root + "/"), QStringList({"a.odt", "B.ODT"}));
    list.clear();
    prompts.inputAnswers.enqueue("txt");
    prompts.folderAnswers.enqueue(root);
    FolderScanServices services{prompts, settings, fs, pointer, [] {}};
    PushButton6_Click(services, list);
    EXPECT_EQ(prompts.inputPresets.last(), "odt");
    EXPECT_TRUE(rows(root + "/").isEmpty()) << "only documents are gathered, whatever the extension asked";
}

TEST_F(FolderScanTest, ScanningTwiceListsTwice) {
    scan("*", root + "/sub");
    scan("*", root + "/sub");
    EXPECT_EQ(rows(root + "/"),
              QStringList({"sub/c.sxw", "sub/deeper/e.ott", "sub/c.sxw", "sub/deeper/e.ott"}));
}

TEST_F(FolderScanTest, HourglassOnlyWhileWalking) {
    QList<int> pointers;
    QObject::connect(&pointer, &WindowPointer::changed, [&](int value) { pointers << value; });
    scan("*", root);
    EXPECT_FALSE(busyWhileYielding.isEmpty());
    EXPECT_FALSE(busyWhileYielding.contains(false));
    EXPECT_EQ(pointers, QList<int>({11, 0}));
}

TEST_F(FolderScanTest, EmptyAnswerOrCancelledFolderEndQuietly) {
    settings.values["Extension"] = "odt";
    scan("", root);
    EXPECT_EQ(settings.values["Extension"], "odt");
    EXPECT_TRUE(prompts.folderDialogStarts.isEmpty());
    prompts.folderAnswers.clear();

    QList<int> pointers;
    QObject::connect(&pointer, &WindowPointer::changed, [&](int value) { pointers << value; });
    scan("sxw", "");
    EXPECT_EQ(settings.values["Extension"], "sxw");
    EXPECT_FALSE(settings.values.contains("LastFolder"));
    EXPECT_TRUE(pointers.isEmpty());
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(FolderScanTest, DroppedFolderAndFileAreAddedInDropOrderWithoutTypeFilter) {
    DocumentListView view(list, [] { return false; });
    QObject::connect(&view, &DocumentListView::filesDropped,
                     [&](const QStringList& paths) { AddDroppedPaths(paths, list, fs, prompts, [] {}); });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(root + "/sub"), QUrl::fromLocalFile(root + "/plain.txt"),
                  QUrl::fromLocalFile(root + "/vanished.odt")});
    EXPECT_TRUE(deliverDrop(view, data));
    EXPECT_EQ(rows(root + "/"),
              QStringList({"sub/c.sxw", "sub/d.doc", "sub/deeper/e.ott", "plain.txt", "vanished.odt"}));

    QMimeData text;
    text.setText(root + "/a.odt");
    EXPECT_FALSE(deliverDrop(view, text));
    EXPECT_EQ(list.count(), 5);
}

TEST_F(FolderScanTest, DroppedFolderSkipsLockHiddenAndLoopsButKeepsReadOnlyHidden) {
    AddDroppedPaths({root}, list, fs, prompts, [] {});
    QStringList found = rows(root + "/");
    EXPECT_FALSE(found.contains("~lock.a.odt#"));
    EXPECT_FALSE(found.contains(".hidden.odt"));
    EXPECT_TRUE(found.contains(".kept.odt"));
    EXPECT_TRUE(found.contains("plain.txt"));
    EXPECT_EQ(found.size(), 8);  // every file once, the link back to the top not followed
    EXPECT_TRUE(prompts.messages.isEmpty());
}
