#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QThread>

#include "EngineChoices.h"
#include "FakeOfficeSession.h"
#include "FakePrompts.h"
#include "FakeSplitEngine.h"
#include "MemorySettingsStore.h"
#include "app/Form1.h"
#include "app/PresenceCheck.h"
#include "app/ProcedureTrap.h"
#include "split/CopyPageEngine.h"
#include "split/LibreOfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

const QString kDesktop = QStringLiteral("/home/ann/Desktop");

class Form1Test : public ::testing::Test {
protected:
    void putProgramFile(const QString& name, const QString& sourceName) {
        QDir().mkpath(QFileInfo(programFolder.filePath(name)).absolutePath());
        ASSERT_TRUE(QFile::copy(QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/resources/") + sourceName,
                                programFolder.filePath(name)));
    }

    Form1& load() {
        Form1Services services{prompts,
                               settings,
                               *session,
                               test::MethodOnly(SplitMethod::Copy),
                               fileSystem,
                               programFolder.path(),
                               [this] { return draw; },
                               [this](int) { return desktop; },
                               [this] { ++endCalls; },
                               makeEngine};
        form = std::make_unique<Form1>(std::move(services));
        form->Form_Load();
        return *form;
    }

    QTemporaryDir programFolder;
    FakePrompts prompts;
    MemorySettingsStore settings;
    LocalFileSystem fileSystem;
    FakeOfficeSession office;
    office::OfficeSession* session = &office;
    SplitEngineFactory makeEngine;
    double draw = 0.5;
    QString desktop = kDesktop;
    int endCalls = 0;
    std::unique_ptr<Form1> form;
};

}  // namespace

TEST_F(Form1Test, LayoutFollowsTheFormDesign) {
    Form1& window = load();
    EXPECT_EQ(window.size(), QSize(536, 394));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window.windowTitle(), "Folioknife");

    EXPECT_EQ(window.PushButton5->geometry(), QRect(8, 8, 520, 27));
    EXPECT_EQ(window.ListView1->geometry(), QRect(8, 42, 520, 151));
    EXPECT_EQ(window.PushButton1->geometry(), QRect(8, 199, 256, 27));
    EXPECT_EQ(window.PushButton6->geometry(), QRect(272, 199, 256, 27));
    EXPECT_EQ(window.PushButton9->geometry(), QRect(8, 233, 256, 27));
    EXPECT_EQ(window.PushButton10->geometry(), QRect(272, 233, 256, 27));
    EXPECT_EQ(window.Frame1->geometry(), QRect(8, 263, 520, 54));
    EXPECT_EQ(window.Text1->geometry(), QRect(16, 20, 433, 23));
    EXPECT_EQ(window.PushButton4->geometry(), QRect(456, 20, 48, 23));
    EXPECT_EQ(window.PushButton7->geometry(), QRect(8, 325, 520, 27));
    EXPECT_EQ(window.ProgressBar1->geometry(), QRect(8, 360, 520, 27));

    EXPECT_EQ(window.PushButton5->text(), "Help");
    EXPECT_EQ(window.PushButton1->text(), "Add Writer File(s)");
    EXPECT_EQ(window.PushButton6->text(), "Add All Writer File(s) In Folder");
    EXPECT_EQ(window.PushButton9->text(), "Clear List");
    EXPECT_EQ(window.PushButton10->text(), "Load Sample/Example Files");
    EXPECT_EQ(window.Frame1->title(), "Save Results To This Folder");
    EXPECT_EQ(window.PushButton4->text(), "...");
    EXPECT_EQ(window.PushButton7->text(), "Start Splitting");
    EXPECT_EQ(window.progressText(), "Progress Bar");
    EXPECT_EQ(window.PushButton7->font().family(), "Arial");
    EXPECT_DOUBLE_EQ(window.PushButton7->font().pointSizeF(), 11.25);
    EXPECT_TRUE(window.Text1->font().bold());

    EXPECT_EQ(window.ListView1->model()->headerData(0, Qt::Horizontal).toString(), " Writer File(s)");
    EXPECT_EQ(window.ListView1->header()->sectionSize(0), 467);

    // Tab order: list, the two button rows, Help, Start Splitting, the folder box and its button.
    const QList<QWidget*> expected{window.ListView1,   window.PushButton1,  window.PushButton6,
                                   window.PushButton9, window.PushButton10, window.PushButton5,
                                   window.PushButton7, window.Text1,        window.PushButton4};
    QList<QWidget*> chain;
    QWidget* widget = window.ListView1;
    do {
        if (expected.contains(widget) && !chain.contains(widget)) chain << widget;
        widget = widget->nextInFocusChain();
    } while (widget != window.ListView1);
    EXPECT_EQ(chain, expected);
}

TEST_F(Form1Test, FirstStartShowsAndStoresTheDesktopFolder) {
    Form1& window = load();
    EXPECT_EQ(window.Text1->text(), kDesktop + "/");
    EXPECT_EQ(settings.writes, QStringList{"Text1=" + kDesktop + "/"});
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(prompts.applicationTitle(), "Folioknife");
    EXPECT_EQ(endCalls, 0);
}

TEST_F(Form1Test, LaterStartsShowTheStoredFolderEvenAnEmptyOne) {
    settings.values["Text1"] = "/gone/folder/";
    EXPECT_EQ(load().Text1->text(), "/gone/folder/");

    settings.values["Text1"] = "";
    settings.writes.clear();
    EXPECT_EQ(load().Text1->text(), "");
    EXPECT_TRUE(settings.writes.isEmpty());
}

TEST_F(Form1Test, MissingDesktopIsReportedAtLine132AndLeavesTheBoxEmpty) {
    desktop.clear();
    settings.values["Text1"] = "/stored/";
    Form1& window = load();
    EXPECT_EQ(window.Text1->text(), "");
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text,
              ProcedureTrap::message("Invalid procedure call or argument", procedure::kFormLoad, 132));
    EXPECT_EQ(window.windowTitle(), "Folioknife");  // the rest of the start-up ran
}

TEST_F(Form1Test, WithoutSkinAndCursorTheWindowIsWhiteAndButtonsShowTheArrow) {
    Form1& window = load();
    EXPECT_FALSE(window.skinApplied());
    EXPECT_FALSE(window.hasCustomPointer());
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::white));
    window.pointer().hoverButton();
    EXPECT_EQ(window.pointer().value(), WindowPointer::kCustom);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Form1Test, SkinAndCursorBesideTheProgramAreUsed) {
    putProgramFile("x/o.cjs", "x/o.cjs");
    putProgramFile("HAND-M.CUR", "HAND-M.CUR");
    Form1& window = load();
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messageTexts().join("\n").toStdString();
    EXPECT_TRUE(window.skinApplied());
    EXPECT_EQ(window.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(window.hasCustomPointer());
    window.pointer().hoverButton();
    EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window.cursor().hotSpot(), QPoint(13, 1));  // the fingertip, as the file names it
}

TEST_F(Form1Test, HourglassIsNeverReplacedByHovering) {
    Form1& window = load();
    window.pointer().set(WindowPointer::kHourglass);
    window.pointer().hoverButton();
    window.pointer().hoverBackground();
    EXPECT_EQ(window.pointer().value(), WindowPointer::kHourglass);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    window.pointer().set(WindowPointer::kDefault);
    window.pointer().hoverButton();
    window.pointer().hoverBackground();
    EXPECT_EQ(window.pointer().value(), WindowPointer::kDefault);
}

TEST_F(Form1Test, MakersPageOpensOnlyOnTheLuckyDraw) {
    draw = 0.06;
    load();
    EXPECT_EQ(prompts.openedAddresses, QStringList{kMakerHomePage});
}

TEST_F(Form1Test, OfficeThatCannotBeReachedIsReportedAndTheWindowStays) {
    office.available = false;
    Form1& window = load();
    EXPECT_EQ(prompts.messageTexts(),
              QStringList{ProcedureTrap::message("ActiveX component can't create object",
                                                 procedure::kFormLoad, 134)});
    EXPECT_TRUE(prompts.openedAddresses.isEmpty());
    EXPECT_EQ(endCalls, 0);
    EXPECT_FALSE(window.programEnded());
}

TEST_F(Form1Test, RealSessionWithoutItsPluginIsReportedAndTheWindowStays) {
    LibreOfficeSession noPlugin({QCoreApplication::applicationFilePath(), true, {}},
                                QStringLiteral("/nonexistent/libfolioknife-uno.so"));
    session = &noPlugin;
    Form1& window = load();
    EXPECT_EQ(prompts.messageTexts(),
              QStringList{ProcedureTrap::message("ActiveX component can't create object",
                                                 procedure::kFormLoad, 134)});
    EXPECT_EQ(endCalls, 0);
    EXPECT_FALSE(window.programEnded());
}

TEST_F(Form1Test, RealSessionWithoutAnOfficeEndsTheProgramAfterTheMessage) {
    LibreOfficeSession noOffice({QStringLiteral("/nonexistent/office/program/soffice"), true, {}});
    session = &noOffice;
    prompts.messageAnswers.enqueue(MessageAnswer::Yes);
    Form1& window = load();
    EXPECT_EQ(prompts.messageTexts(), QStringList{OfficeMissingMessage()});
    EXPECT_EQ(prompts.openedAddresses, QStringList{kOfficeDownloadPage});
    EXPECT_EQ(endCalls, 1);
    EXPECT_TRUE(window.programEnded());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Form1Test, HelpShowsTheFixedMessageUnderTheApplicationTitle) {
    Form1& window = load();
    window.PushButton5->click();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text, HelpMessage());
    EXPECT_EQ(prompts.messages[0].style, kOkOnly);
    EXPECT_EQ(prompts.messages[0].title, "Folioknife");
}

TEST_F(Form1Test, BrowseButtonStoresTheChoiceAndLeavesCancelAlone) {
    Form1& window = load();
    settings.writes.clear();
    window.PushButton4_Click();  // cancelled
    EXPECT_TRUE(settings.writes.isEmpty());
    EXPECT_EQ(window.Text1->text(), kDesktop + "/");

    prompts.folderAnswers.enqueue("/data/out");
    window.PushButton4_Click();
    EXPECT_EQ(window.Text1->text(), "/data/out/");
    EXPECT_EQ(settings.values["LastFolderDot"], "/data/out");
    EXPECT_EQ(settings.values["Text1"], "/data/out/");

    window.Text1->setText("/typed/elsewhere");
    prompts.folderAnswers.enqueue("/");
    window.PushButton4_Click();
    EXPECT_EQ(prompts.folderDialogStarts.last(), "/data/out");  // not the typed text
    EXPECT_EQ(prompts.folderDialogTitles.last(), "Please select folder:");
    EXPECT_EQ(window.Text1->text(), "/");
    EXPECT_EQ(settings.values["LastFolderDot"], "/");
}

TEST_F(Form1Test, TypedTextIsStoredOnEveryChangeAndWriteFailuresAreQuiet) {
    Form1& window = load();
    settings.writes.clear();
    window.Text1->setText("/o");
    window.Text1->setText("/ou");
    EXPECT_EQ(settings.writes, QStringList({"Text1=/o", "Text1=/ou"}));
    settings.failWrites = true;
    window.Text1->setText("/out");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(Form1Test, ClosingTheWindowEndsTheProgram) {
    Form1& window = load();
    window.show();
    window.close();
    EXPECT_EQ(endCalls, 1);
}

TEST_F(Form1Test, KeysDoWhatTheirButtonsDo) {
    const struct {
        QKeySequence key;
        std::function<bool()> done;
    } cases[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), [this] { return prompts.fileDialogs.size() == 1; }},
        {QKeySequence(Qt::Key_F1), [this] { return prompts.messageTexts() == QStringList{HelpMessage()}; }},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { return endCalls == 1; }},
    };
    for (const auto& c : cases) {
        prompts = {};
        endCalls = 0;
        Form1& window = load();
        const QList<QAction*> actions = window.actions();
        const auto action = std::find_if(actions.cbegin(), actions.cend(),
                                         [&](const QAction* a) { return a->shortcut() == c.key; });
        ASSERT_NE(action, actions.cend()) << c.key.toString().toStdString();
        EXPECT_EQ((*action)->shortcutContext(), Qt::WindowShortcut);
        (*action)->trigger();
        EXPECT_TRUE(c.done()) << c.key.toString().toStdString();
    }
}

TEST_F(Form1Test, ReturnPressesTheFocusedButton) {
    Form1& window = load();
    for (QPushButton* button :
         {window.PushButton1, window.PushButton4, window.PushButton5, window.PushButton6, window.PushButton7,
          window.PushButton9, window.PushButton10}) {
        int clicks = 0;
        const auto counter = QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &press);
        QObject::disconnect(counter);
        EXPECT_EQ(clicks, 1) << button->text().toStdString();
    }
}

TEST_F(Form1Test, ProgressShowsDocumentNamesExactlyEvenWithPercentSigns) {
    QTemporaryDir out;
    FakeSplitEngine fake;
    makeEngine = [&fake](office::OfficeSession&) { return std::make_unique<FakeSplitEngine>(fake); };
    Form1& window = load();
    window.Text1->setText(out.path() + "/");
    const QStringList names{"Budget 100%value.odt", "%p%v%m %%.odt", "50% off.odt"};
    QStringList shown;
    // The engine runs off the window's thread, and the window shows the document's start as its events
    // come: the engine waits (a while at most) until the bar names the document, and keeps what it read.
    fake.beforeDocument = [&](const QString& path) {
        const QString expected = "Processing: " + QFileInfo(path).fileName();
        QString text;
        for (int tries = 0; tries < 200 && text != expected; ++tries) {
            if (tries > 0) QThread::msleep(10);
            QMetaObject::invokeMethod(
                window.ProgressBar1, [&] { text = window.ProgressBar1->text(); },
                Qt::BlockingQueuedConnection);
        }
        shown << text;
        return true;
    };
    for (const QString& name : names) {
        window.documents().AppendDocument("/in/" + name);
        fake.pageCounts.insert("/in/" + name, 1);
    }
    window.PushButton7_Click();
    EXPECT_EQ(shown, QStringList({"Processing: Budget 100%value.odt", "Processing: %p%v%m %%.odt",
                                  "Processing: 50% off.odt"}));
    EXPECT_EQ(window.ProgressBar1->text(), "Progress Bar");
}

TEST_F(Form1Test, WindowCarriesTheProgramIconInEveryShippedSize) {
    Form1& window = load();
    const QIcon icon = window.windowIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {32, 48, 128, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        EXPECT_EQ(icon.pixmap(QSize(size, size)).size(), QSize(size, size)) << size;
    }
}

TEST_F(Form1Test, HandedFilesAreListedAfterTheRowsAsTheDialogListsThem) {
    Form1& window = load();
    window.documents().AppendDocument("/in/first.odt");
    window.AddHandedFiles({"//in//second.docx", "/in/third file.rtf"});
    EXPECT_EQ(window.documents().texts(),
              QStringList({"/in/first.odt", "/in/second.docx", "/in/third file.rtf"}));
}
