#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "app/Form1.h"
#include "app/IniSettingsStore.h"
#include "app/QtPrompts.h"
#include "app/StopOwnOffice.h"
#include "app/WindowSplitMethod.h"
#include "fsutil/FileSystem.h"
#include "fsutil/ProgramFolder.h"
#include "split/CopyPageEngine.h"
#include "split/LibreOfficeSession.h"
#include "split/SliceThenCopyEngine.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(fk::kProductName);
    QApplication::setDesktopFileName(QStringLiteral("folioknife"));

    fk::QtPrompts prompts;
    fk::IniSettingsStore settings(fk::IniSettingsStore::defaultFilePath());
    fk::LibreOfficeSession office(fk::OfficeOptions::fromEnvironment());
    // The copy procedure chosen by the user runs in view, as it always has; taking over from the slicer
    // it runs hidden like the slicer, so that no office window covers the program's own.
    fk::CopyPageEngine copy(office);
    fk::CopyPageEngine hiddenCopy(office, true);
    fk::SlicePageEngine slicer(office);
    fk::SliceThenCopyEngine sliceThenCopy(slicer, hiddenCopy);
    fk::SplitEngine& engine =
        fk::ChooseWindowSplitMethod(QApplication::arguments(), settings) == fk::WindowSplitMethod::Copy
            ? static_cast<fk::SplitEngine&>(copy)
            : sliceThenCopy;
    fk::LocalFileSystem fileSystem;
    fk::Form1Services services{prompts,
                               settings,
                               office,
                               engine,
                               fileSystem,
                               fk::ProgramFolder(),
                               fk::TimerSeededRandom(),
                               fk::GetSpecialFolderPath,
                               [&office] {
                                   fk::StopOwnOffice(office.process());
                                   // At once, as the window closes: every setting is already on disk, and
                                   // the office runtime's own exit handlers must not race its bridge threads.
                                   std::fflush(nullptr);
                                   std::_Exit(0);
                               }};

    fk::Form1 form(std::move(services));
    prompts.setOwner(&form);
    form.Form_Load();
    if (form.programEnded()) return 0;

    const QRect screen = form.screen()->availableGeometry();
    form.move(screen.center() - form.rect().center());
    form.show();
    return application.exec();
}
