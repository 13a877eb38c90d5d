// Time per page of the split run against a real headless LibreOffice.
// Usage: split_bench [PAGES...]   (default: 10 50)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "FakePrompts.h"
#include "TestOffice.h"
#include "split/SplitRun.h"

namespace {

class QuietWindow : public fk::SplitRunWindow {
public:
    QStringList rows;
    QString folder;
    int documentCount() override { return static_cast<int>(rows.size()); }
    QString documentText(int index) override { return rows.at(index - 1); }
    QString outputFolderText() override { return folder; }
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void setPointer(int) override {}
    void yield() override { QCoreApplication::processEvents(); }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i) sizes << QString::fromLatin1(argv[i]).toInt();
    if (sizes.isEmpty()) sizes = {10, 50};

    fk::test::TestOffice office;
    QTemporaryDir work;
    std::printf("%8s %12s %12s\n", "pages", "total ms", "ms/page");
    for (int pages : sizes) {
        fk::test::TestOffice::Content content;
        for (int page = 1; page <= pages; ++page)
            content.pages << QStringLiteral("Benchmark page %1").arg(page);
        const QString input = work.filePath(QStringLiteral("bench-%1.odt").arg(pages));
        office.makeDocument(input, content);
        const QString output = work.filePath(QStringLiteral("out-%1/").arg(pages));
        QDir().mkpath(output);

        fk::test::FakePrompts prompts;
        QuietWindow window;
        window.rows << input;
        window.folder = output;
        fk::SplitRun run(office.bridge(), prompts, window);
        QElapsedTimer clock;
        clock.start();
        run.PushButton7_Click();
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        const int written = static_cast<int>(QDir(output).entryList(QDir::Files).size());
        std::printf("%8d %12.0f %12.1f%s\n", pages, elapsed, elapsed / pages,
                    written == pages && prompts.messages.size() == 1 ? "" : "  (run reported problems)");
    }
    return 0;
}
