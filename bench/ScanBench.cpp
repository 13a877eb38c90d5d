// Time of "Add All Writer File(s) In Folder" on a generated tree, beside find(1) on the same tree.
// Usage: scan_bench [FOLDERS [FILES_PER_FOLDER]]   (default: 5000 folders, 10 files each)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "FakePrompts.h"
#include "MemorySettingsStore.h"
#include "doclist/DocumentListModel.h"
#include "app/AddFolderFiles.h"

namespace {

// 5,000 folders as 50 top folders of 10 folders of 10 folders (less the ones over the count).
void makeTree(const QString& root, int folders, int filesPerFolder) {
    int made = 0;
    for (int a = 0; made < folders; ++a) {
        for (int b = 0; b < 10 && made < folders; ++b) {
            for (int c = 0; c < 10 && made < folders; ++c, ++made) {
                const QString folder = QStringLiteral("%1/top%2/mid%3/leaf%4").arg(root).arg(a).arg(b).arg(c);
                QDir().mkpath(folder);
                for (int f = 0; f < filesPerFolder; ++f) {
                    QFile file(QStringLiteral("%1/%2.%3").arg(folder).arg(f).arg(f % 2 ? "odt" : "txt"));
                    file.open(QIODevice::WriteOnly);
                }
            }
        }
    }
}

double timeMs(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int folders = argc > 1 ? atoi(argv[1]) : 5000;
    const int perFolder = argc > 2 ? atoi(argv[2]) : 10;
    QTemporaryDir dir;
    makeTree(dir.path(), folders, perFolder);

    // Warm the cache once, so that both sides read from memory.
    QProcess warm;
    warm.start(QStringLiteral("find"), {dir.path(), QStringLiteral("-type"), QStringLiteral("f")});
    warm.waitForFinished(-1);
    for (int run = 0; run < 3; ++run) {
        QString found;
        const double findMs = timeMs([&] {
            QProcess find;
            find.start(QStringLiteral("find"), {dir.path(), QStringLiteral("-type"), QStringLiteral("f")});
            find.waitForFinished(-1);
            found = QString::number(find.readAllStandardOutput().count('\n'));
        });

        fk::test::FakePrompts prompts;
        fk::test::MemorySettingsStore settings;
        fk::LocalFileSystem fileSystem;
        fk::WindowPointer pointer;
        fk::DocumentListModel list;
        prompts.inputAnswers.enqueue(QStringLiteral("*"));
        prompts.folderAnswers.enqueue(dir.path());
        fk::FolderScanServices services{prompts, settings, fileSystem, pointer,
                                        [] { QCoreApplication::processEvents(); }};
        const double scanMs = timeMs([&] { fk::PushButton6_Click(services, list); });
        std::printf(
            "run %d: %d folders, %s files: scan %.0f ms (%d documents listed), find %.0f ms, ratio %.1f\n",
            run + 1, folders, qPrintable(found), scanMs, list.count(), findMs, scanMs / findMs);
    }
    return 0;
}
