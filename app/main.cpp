#include <QApplication>
#include <QScreen>
#include <cstdio>

#include "app/FileSystem.h"
#include "app/Form1.h"
#include "app/InfoOptions.h"
#include "app/IniSettingsStore.h"
#include "app/ProgramEnd.h"
#include "app/QtPrompts.h"
#include "app/TerminationSignals.h"
#include "app/WindowSplitMethod.h"
#include "fsutil/ProgramFolder.h"
#include "split/LibreOfficeSession.h"

int main(int argc, char* argv[]) {
    // Before QApplication, which needs a display.
    if (const std::optional<QString> info = fk::InfoOptionText(argc, argv)) {
        std::fputs(info->toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(fk::kProductName);
    QApplication::setDesktopFileName(QStringLiteral("folioknife"));

    fk::QtPrompts prompts;
    fk::IniSettingsStore settings(fk::IniSettingsStore::defaultFilePath());
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
                               fk::ChooseWindowSplitMethod(QApplication::arguments(), settings),
                               fileSystem,
                               fk::ProgramFolder(),
                               fk::TimerSeededRandom(),
                               fk::GetSpecialFolderPath,
                               [&end] { end(0); }};

    fk::Form1 form(std::move(services));
    prompts.setOwner(&form);
    form.Form_Load();
    if (form.programEnded()) return 0;

    const QRect screen = form.screen()->availableGeometry();
    form.move(screen.center() - form.rect().center());
    form.show();
    return application.exec();
}
