// The main window with a real office, its real engines and a real X display (run under Xvfb): what a
// user sees and what is left running when the window goes.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Corpus.h"
#include "FakePrompts.h"
#include "MemorySettingsStore.h"
#include "ProcessTable.h"
#include "QtPrinters.h"
#include "TestOffice.h"
#include "app/Form1.h"
#include "app/ProgramEnd.h"
#include "app/SettingsKeys.h"
#include "app/TerminationSignals.h"
#include "app/WindowSplitMethod.h"
#include "fsutil/ProgramFolder.h"

using namespace fk;
using namespace fk::test;

namespace {

const QString kRealDocument = QStringLiteral("docx4j_headers_footers.docx");
constexpr int kRealDocumentPages = 40;

QStringList NumberedPages(const QString& stem, int pages) {
    QStringList texts;
    for (int page = 1; page <= pages; ++page) texts << QStringLiteral("%1 page %2").arg(stem).arg(page);
    return texts;
}

// Whether an image shows something: a window never painted grabs as one flat colour.
bool HasContent(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 3; y += 3)
        for (int x = 0; x < image.width() && colours.size() < 3; x += 3) colours.insert(image.pixel(x, y));
    return colours.size() >= 3;
}

class WindowEndToEnd : public ::testing::Test {
protected:
    // One office in view for the suite, as the program starts it when nothing says headless.
    static void SetUpTestSuite() { office_ = new TestOffice(TestOffice::View::Visible); }
    static void TearDownTestSuite() {
        delete office_;
        office_ = nullptr;
    }

    WindowEndToEnd() {
        QDir().mkpath(inputs());
        QDir().mkpath(outputs());
    }

    QString inputs() const { return work_.filePath(QStringLiteral("in")); }
    QString outputs() const { return work_.filePath(QStringLiteral("out")); }
    QStringList outputNames() const { return QDir(outputs()).entryList(QDir::Files, QDir::Name); }

    QString makeDocument(const QString& stem, int pages) {
        const QString path = inputs() + QLatin1Char('/') + stem + QStringLiteral(".odt");
        office_->makeDocument(path, {NumberedPages(stem, pages)});
        return path;
    }

    // The window as the program builds it, on the suite's office; shown and exposed.
    Form1& window() {
        Form1Services services{
            prompts_,           settings_,       office_->session(), ChooseWindowSplitMethod({}, settings_),
            fileSystem_,        ProgramFolder(), [] { return 0.5; }, [this](int) { return work_.path(); },
            [this] { end_(0); }};
        form_ = std::make_unique<Form1>(std::move(services));
        form_->Form_Load();
        form_->Text1->setText(outputs() + QLatin1Char('/'));
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        return *form_;
    }

    // One output per page, NAME_0001.odt on, each an ODF text package.
    void expectPages(const QString& stem, int pages) {
        for (int page = 1; page <= pages; ++page) {
            const QString name = QStringLiteral("%1_%2.odt").arg(stem).arg(page, 4, 10, QLatin1Char('0'));
            EXPECT_TRUE(outputNames().contains(name)) << name.toStdString();
            EXPECT_TRUE(IsOdtPackage(QDir(outputs()).filePath(name))) << name.toStdString();
        }
        const QString next = QStringLiteral("%1_%2.odt").arg(stem).arg(pages + 1, 4, 10, QLatin1Char('0'));
        EXPECT_FALSE(outputNames().contains(next)) << next.toStdString();
    }

    static TestOffice* office_;
    QTemporaryDir work_;
    FakePrompts prompts_;
    MemorySettingsStore settings_;
    LocalFileSystem fileSystem_;
    QList<int> exitStatuses_;
    ProgramEnd end_{office_->session().process(), [this](int status) { exitStatuses_ << status; }};
    std::unique_ptr<Form1> form_;
};

TestOffice* WindowEndToEnd::office_ = nullptr;

}  // namespace

TEST_F(WindowEndToEnd, StartSplittingGivesOnePageDocumentPerPageOfGeneratedAndRealDocuments) {
    FK_SKIP_WITHOUT_CORPUS();
    const QString real = QDir(CorpusFolder()).filePath(kRealDocument);
    ASSERT_TRUE(QFileInfo(real).isReadable()) << "the corpus document is missing: " << real.toStdString();
    const QByteArray realBefore = FileDigest(real);
    const QString generated = makeDocument(QStringLiteral("generated"), 12);

    Form1& main = window();
    main.documents().AppendDocument(generated);
    main.documents().AppendDocument(real);  // read where it lies
    main.PushButton7->click();

    EXPECT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});
    expectPages(QStringLiteral("generated"), 12);
    expectPages(QStringLiteral("docx4j_headers_footers"), kRealDocumentPages);
    EXPECT_EQ(outputNames().size(), 12 + kRealDocumentPages);
    EXPECT_EQ(FileDigest(real), realBefore);
    EXPECT_EQ(main.progressValue(), 0);
    EXPECT_EQ(main.progressText(), kIdleProgressText);
}

TEST_F(WindowEndToEnd, WindowStaysPaintedAndTheBarMovesDuringALongDocument) {
    FK_SKIP_WITHOUT_CORPUS();
    const QString real = QDir(CorpusFolder()).filePath(kRealDocument);
    ASSERT_TRUE(QFileInfo(real).isReadable()) << "the corpus document is missing: " << real.toStdString();
    Form1& main = window();
    main.documents().AppendDocument(real);

    // Fires whenever the run lets the window handle its events.
    QImage during;
    int barDuring = 0;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!main.IsSplitting() || main.ProgressBar1->value() <= 0) return;
        barDuring = main.ProgressBar1->value();
        during = main.grab().toImage();
        watcher.stop();
    });
    watcher.start();
    main.PushButton7->click();

    ASSERT_FALSE(during.isNull()) << "the run never let the window paint with the bar past 0";
    EXPECT_GT(barDuring, 0);
    EXPECT_LT(barDuring, 100);
    EXPECT_EQ(during.size(), main.size() * main.devicePixelRatio());
    EXPECT_TRUE(HasContent(during)) << "the window grabbed during the run is blank";
    const QString screenshot = work_.filePath(QStringLiteral("window-during-run.png"));
    ASSERT_TRUE(during.save(screenshot));
    work_.setAutoRemove(false);
    std::printf("window during the run: %s\n", qPrintable(screenshot));
    EXPECT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});
}

TEST_F(WindowEndToEnd, CopyMethodStoresEveryPageInAnOfficeInView) {
    settings_.values[settings::kSplitMethod] = SplitMethodName(SplitMethod::Copy);
    const QString document = makeDocument(QStringLiteral("copied"), 10);
    Form1& main = window();
    main.documents().AppendDocument(document);
    main.PushButton7->click();

    EXPECT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});
    expectPages(QStringLiteral("copied"), 10);
    const pid_t office = office_->session().process().pid();
    ASSERT_TRUE(IsRunning(office));
    EXPECT_FALSE(office_->session().process().arguments().contains(QStringLiteral("--headless")));
    for (const pid_t child : ChildProcesses(office))
        EXPECT_FALSE(CommandLine(child).contains("--headless")) << child;
}

TEST_F(WindowEndToEnd, OutputFolderGoneMidRunIsOneReportPerDocumentAndTheRunEnds) {
    const QString first = makeDocument(QStringLiteral("first"), 6);
    const QString second = makeDocument(QStringLiteral("second"), 4);
    Form1& main = window();
    main.documents().AppendDocument(first);
    main.documents().AppendDocument(second);

    bool removed = false;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!QFile::exists(QDir(outputs()).filePath(QStringLiteral("first_0001.odt")))) return;
        // Taken away at once, as an unmounted or deleted folder goes: a removal file by file would
        // race with the pages still being written.
        removed = QDir().rename(outputs(), outputs() + QStringLiteral("-gone"));
        watcher.stop();
    });
    watcher.start();
    main.PushButton7->click();

    ASSERT_TRUE(removed) << "the folder was not taken away during the run";
    const QStringList messages = prompts_.messageTexts();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.last(), kDoneMessage);
    EXPECT_LE(messages.size(), 3) << messages.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_FALSE(main.IsSplitting());
}

// Last of the suite: it stops the suite's office.
TEST_F(WindowEndToEnd, ClosingTheIdleWindowStopsTheOfficeItStarted) {
    window();
    const pid_t office = office_->session().process().pid();
    const pid_t group = office_->session().process().groupId();
    ASSERT_TRUE(IsRunning(office));
    ASSERT_FALSE(ProcessGroupMembers(group).isEmpty());

    form_->close();
    EXPECT_EQ(exitStatuses_, QList<int>{0});
    EXPECT_FALSE(IsRunning(office));
    EXPECT_TRUE(WaitUntil([&] { return ProcessGroupMembers(group).isEmpty(); }, 5000))
        << ProcessGroupMembers(group).size() << " office processes left";
}

// The program itself, as a user's desktop ends it.
class WindowProgramSignal : public ::testing::TestWithParam<int> {};

TEST_P(WindowProgramSignal, EndsTheProgramAndItsOffice) {
    const int signalNumber = GetParam();
    QTemporaryDir work;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FOLIOKNIFE_OFFICE_PROFILE"), work.filePath(QStringLiteral("profile")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("TMPDIR"), work.path());
    program.setProcessEnvironment(environment);
    program.start(ProgramFolder() + QStringLiteral("/folioknife"), {});
    ASSERT_TRUE(program.waitForStarted());
    const pid_t programId = static_cast<pid_t>(program.processId());

    // The office is up once the office proper listens on the pipe the program gave it.
    pid_t wrapper = -1;
    pid_t office = -1;
    const bool up = WaitUntil(
        [&] {
            const QList<pid_t> children = ChildProcesses(programId);
            if (children.isEmpty()) return false;
            wrapper = children.first();
            const QList<pid_t> grandchildren = ChildProcesses(wrapper);
            if (grandchildren.isEmpty()) return false;
            office = grandchildren.first();
            const QByteArray arguments = CommandLine(wrapper);
            const qsizetype name = arguments.indexOf(OfficeProcess::kPipeNamePrefix.toUtf8());
            return name >= 0 && SocketListening(arguments.mid(name, arguments.indexOf(';', name) - name));
        },
        120000);
    if (!up) program.kill();
    ASSERT_TRUE(up) << "the program's office did not come up";

    ::kill(programId, signalNumber);
    EXPECT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 128 + signalNumber);
    EXPECT_TRUE(WaitUntil([&] { return !IsRunning(wrapper) && !IsRunning(office); }, 5000))
        << "the office outlived the program";
    if (!ProcessGroupMembers(wrapper).isEmpty()) ::kill(-wrapper, SIGKILL);  // what the check found left
    if (program.state() != QProcess::NotRunning) program.kill();
}

INSTANTIATE_TEST_SUITE_P(TerminationSignals, WindowProgramSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const ::testing::TestParamInfo<int>& signal) {
                             return std::string(::sigabbrev_np(signal.param));
                         });
