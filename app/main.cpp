#include <QApplication>
#include <QDir>
#include <QScreen>
#include <cstdio>

#include "app/FileHandover.h"
#include "app/FileSystem.h"
#include "app/Form1.h"
#include "app/InfoOptions.h"
#include "app/IniSettingsStore.h"
#include "app/ProgramEnd.h"
#include "app/QtPrompts.h"
#include "app/TerminationSignals.h"
#include "app/WindowChoices.h"
#include "fsutil/ProgramFolder.h"
#include "split/LibreOfficeSession.h"

#include <cstdio>

namespace {

void PrintError(const QString& text) {
    std::fprintf(stderr, "folioknife: %s\n", qPrintable(text));
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before QApplication, which needs a display.
    if (const std::optional<QString> info = fk::InfoOptionText(argc, argv)) {
        std::fputs(info->toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(fk::kProductName);
    QApplication::setDesktopFileName(QStringLiteral("folioknife"));

    fk::IniSettingsStore settings(fk::IniSettingsStore::defaultFilePath());
    const fk::WindowStart start =
        fk::ReadWindowStart(QApplication::arguments(), QDir::currentPath(), settings);
    if (!start.usageError.isEmpty()) {
        PrintError(start.usageError);
        std::fprintf(stderr,
                     "usage: folioknife [--method slice|copy] [--format odt|pdf|docx] [--at page|heading:N] "
                     "[--pages LIST] [FILE...]\n");
        return 2;
    }
    for (const QString& warning : start.warnings) PrintError(warning);
    const QString handoverName = fk::HandoverServerName();
    if (!start.files.isEmpty()) {
        switch (fk::HandFilesToRunningWindow(handoverName, start.files)) {
            case fk::HandoverResult::Taken:
                return 0;
            case fk::HandoverResult::Refused:
                PrintError(QStringLiteral("the running window did not take the files."));
                return 1;
            case fk::HandoverResult::NoWindow:
                break;
        }
    }

    fk::QtPrompts prompts;
    fk::LibreOfficeSession office(fk::OfficeOptions::fromEnvironment());
    const fk::ProgramEnd end(office.process());
    // Installed before the office can start: from then on a signal must not leave it behind.
    fk::TerminationSignals interruptions(office.process(), [&end](int signalNumber) {
        end(fk::TerminationSignals::exitStatus(signalNumber));
    });
    fk::LocalFileSystem fileSystem;
    fk::Form1Services services{prompts,
                               settings,
                               office,
                               start.engine,
                               fileSystem,
                               fk::ProgramFolder(),
                               fk::TimerSeededRandom(),
                               fk::GetSpecialFolderPath,
                               [&end] { end(0); }};

    fk::Form1 form(std::move(services));
    prompts.setOwner(&form);
    form.Form_Load();
    if (form.programEnded()) return 0;
    form.AddHandedFiles(start.files);
    fk::FileHandoverServer handover(handoverName, [&form](const QStringList& files) {
        form.AddHandedFiles(files);
        form.raise();
        form.activateWindow();
    });
    // Without it this window still works; later starts then open windows of their own.
    if (!handover.listen()) PrintError(QStringLiteral("other starts cannot hand files to this window."));

    const QRect screen = form.screen()->availableGeometry();
    form.move(screen.center() - form.rect().center());
    form.show();
    return application.exec();
}
