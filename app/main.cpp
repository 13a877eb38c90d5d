#include <QApplication>
#include <QFile>
#include <QDir>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/FileHandover.h"
#include "app/FileSystem.h"
#include "app/Form1.h"
#include "app/InfoOptions.h"
#include "app/IniSettingsStore.h"
#include "app/ProgramEnd.h"
#include "app/QtPrompts.h"
#include "app/StopOwnOffice.h"
#include "app/TerminationSignals.h"
#include "app/WindowChoices.h"
#include "files/TemporaryName.h"
#include "fsutil/ProgramFolder.h"
#include "split/LeftoverFiles.h"
#include "split/LibreOfficeSession.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The office of this window, for the end nobody asked for: a display that goes away makes the
// toolkit call exit() from wherever it noticed.
fk::OfficeProcess* windowOffice = nullptr;

void StopOfficeAtExit() {
    if (windowOffice != nullptr) fk::StopOwnOffice(*windowOffice);
}

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
                     "[--pages LIST | --every N] [FILE...]\n");
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
    // What killed sessions of ours left: the pipes of their offices, their private temporaries.
    fk::RemoveDeadOfficePipes();
    fk::RemoveLeftoverTemporaries(QDir::tempPath());
    fk::OfficeOptions officeOptions = fk::OfficeOptions::fromEnvironment();
    // The office's own temporaries go to a folder named by our temporary scheme, made when the office
    // starts and removed when it is stopped (or, when this program is killed, by its next start).
    officeOptions.temporaryFolder = QFile::decodeName(
        fk::files::TemporaryName::beside(
            QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-office")).toStdString())
            .c_str());
    fk::LibreOfficeSession office(officeOptions);
    windowOffice = &office.process();
    std::atexit(StopOfficeAtExit);
    // A return from main destroys the office first: the handler must not reach it afterwards.
    const std::unique_ptr<void, void (*)(void*)> forgetOffice(&windowOffice,
                                                              [](void*) { windowOffice = nullptr; });
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
    services.reportFile = start.reportFile;
    services.timeout = start.timeout;
    services.abandonOffice = [&office] { office.process().abandon(); };

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
