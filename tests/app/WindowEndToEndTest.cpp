// The main window with a real office, its real engines and a real X display (run under Xvfb): what a
// user sees and what is left running when the window goes.
#include <gtest/gtest.h>
#include <signal.h>

#include <array>
#include <optional>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include "Corpus.h"
#include "FakePrompts.h"
#include "MemorySettingsStore.h"
#include "ProcessTable.h"
#include "QtPrinters.h"
#include "TestDesktop.h"
#include "TestOffice.h"
#include "UnfoldingDocument.h"
#include "app/Form1.h"
#include "app/ProgramEnd.h"
#include "app/SettingsKeys.h"
#include "app/TerminationSignals.h"
#include "app/WindowChoices.h"
#include "fsutil/ProgramFolder.h"
#include "slicer/PackageReader.h"

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

// Pages as full of text as a report's, so that laying them out takes the office a while.
QStringList FullPages(const QString& stem, int pages) {
    const QString filler = QStringLiteral("The quick brown fox jumps over the lazy dog. ").repeated(30);
    QStringList texts = NumberedPages(stem, pages);
    for (QString& text : texts) text += QLatin1Char(' ') + filler;
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
    // A test that ended the program ended its office for good: the next takes a new one, as a new
    // start of the program would.
    ~WindowEndToEnd() override {
        if (exitStatuses_.isEmpty()) return;
        form_.reset();
        delete office_;
        office_ = new TestOffice(TestOffice::View::Visible);
    }

    QString inputs() const { return work_.filePath(QStringLiteral("in")); }
    QString outputs() const { return work_.filePath(QStringLiteral("out")); }
    QStringList outputNames() const { return QDir(outputs()).entryList(QDir::Files, QDir::Name); }

    QString makeDocument(const QString& stem, int pages) {
        const QString path = inputs() + QLatin1Char('/') + stem + QStringLiteral(".odt");
        office_->makeDocument(path, {NumberedPages(stem, pages)});
        return path;
    }

    // A copy of `document` that opens only with a password; `secretPath`.
    QString storeWithPassword(const QString& document, const QString& secretPath) {
        office::DocumentStore& office = office_->documents();
        const office::DocumentRef loaded =
            office.load(ToFileUrl(document), {.hidden = true, .readOnly = true});
        office.storeToUrl(loaded, ToFileUrl(secretPath),
                          {{QStringLiteral("FilterName"), QStringLiteral("writer8")},
                           {QStringLiteral("Password"), QStringLiteral("secret")}});
        office.close(loaded);
        return secretPath;
    }

    // The window as the program builds it, on the suite's office; shown and exposed.
    Form1& window() {
        const WindowStart start = ReadWindowStart({}, work_.path(), settings_);
        Form1Services services{prompts_,
                               settings_,
                               office_->session(),
                               start.engine,
                               fileSystem_,
                               ProgramFolder(),
                               [] { return 0.5; },
                               [this](int) { return work_.path(); },
                               [this] {
                                   if (onClose_)
                                       onClose_();
                                   else
                                       end_(0);
                               }};
        services.timeout = start.timeout;
        services.abandonOffice = [] { office_->session().process().abandon(); };
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
    std::function<void()> onClose_;  // in place of ending the program, where a test asks
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
    // Kept beside the test program, each run's over the last: the work folder goes with the test.
    const QString screenshot =
        QCoreApplication::applicationDirPath() + QStringLiteral("/window-during-run.png");
    ASSERT_TRUE(during.save(screenshot));
    std::printf("window during the run: %s\n", qPrintable(screenshot));
    EXPECT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});
}

// Both cores busy, as on a machine that does other work while the user splits.
class BusyCores {
public:
    BusyCores() {
        for (QProcess& spinner : spinners_) {
            spinner.setStandardOutputFile(QProcess::nullDevice());
            spinner.start(QStringLiteral("yes"), {});
            spinner.waitForStarted();
        }
    }
    ~BusyCores() {
        for (QProcess& spinner : spinners_) {
            spinner.kill();  // our own child, by its process id
            spinner.waitForFinished();
        }
    }

private:
    std::array<QProcess, 2> spinners_;
};

// The stage of the only document of a run, told by where the bar stands in its share.
QString StageOfBar(double percent) {
    if (percent < 10) return QStringLiteral("load");
    if (percent < 35) return QStringLiteral("layout");
    if (percent < 45) return QStringLiteral("mark");
    if (percent < 50) return QStringLiteral("store");
    return QStringLiteral("pages");
}

TEST_F(WindowEndToEnd, ALongDocumentLeavesTheWindowAnsweringAtEveryStage) {
    constexpr int kPages = 256;
    const QString path = inputs() + QStringLiteral("/long.odt");
    office_->makeDocument(path, {FullPages(QStringLiteral("long"), kPages)});
    const BusyCores busy;
    Form1& main = window();
    main.documents().AppendDocument(path);
    // A covering window, moved away and back at every probe: the area it uncovers must be repainted.
    QWidget cover;
    cover.setGeometry(main.geometry().adjusted(40, 40, -40, -40));

    int answered = 0;
    QHash<QString, qint64> worstMs;  // by stage: the longest a close request or a repaint waited
    QElapsedTimer sinceRequest;
    bool waiting = false;
    QString stage;
    onClose_ = [&] {
        if (!waiting) return;
        waiting = false;
        worstMs[stage] = std::max(worstMs.value(stage), sinceRequest.elapsed());
        ++answered;
        QTimer::singleShot(0, &main, [&main] { main.show(); });  // the test goes on with the run
    };
    // A closed window would end the application's event loops; here the run must go on.
    QApplication::setQuitOnLastWindowClosed(false);
    QTimer probe;
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!main.IsSplitting() || waiting) return;
        stage = StageOfBar(main.progressValue());
        cover.setVisible(!cover.isVisible());
        main.repaint();  // the uncovered area, painted at once where the window's thread is free
        waiting = true;
        sinceRequest.start();
        // What the window system delivers for WM_DELETE_WINDOW.
        QCoreApplication::postEvent(&main, new QCloseEvent);
    });
    probe.start();
    main.PushButton7->click();
    probe.stop();
    QApplication::setQuitOnLastWindowClosed(true);

    EXPECT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});
    EXPECT_EQ(outputNames().size(), kPages);
    qint64 worst = 0;
    for (auto it = worstMs.cbegin(); it != worstMs.cend(); ++it) {
        std::printf("close request answered within %lld ms while the run was at: %s\n",
                    static_cast<long long>(it.value()), qPrintable(it.key()));
        worst = std::max(worst, it.value());
        EXPECT_LE(it.value(), 500) << it.key().toStdString();
    }
    // A stage the office passes within one probe's interval may go unprobed; the long ones may not.
    EXPECT_TRUE(worstMs.contains(QStringLiteral("load")) || worstMs.contains(QStringLiteral("layout")))
        << "no probe while the office loaded and laid the document out";
    EXPECT_GE(answered, 10);
    std::printf("worst: %lld ms\n", static_cast<long long>(worst));
}

// The parts of a page package that hold what a reader sees.
QByteArray ContentAndStyles(const QString& package) {
    slicer::PackageReader reader = slicer::PackageReader::open(QFile::encodeName(package).toStdString());
    QByteArray parts;
    for (const char* name : {"content.xml", "styles.xml"}) {
        const std::optional<std::size_t> entry = reader.find(name);
        parts += entry ? QByteArray::fromStdString(reader.read(*entry)) : QByteArray("missing");
    }
    return parts;
}

TEST_F(WindowEndToEnd, TheWindowAndTheCommandLineMakeTheSamePages) {
    const QString document = inputs() + QStringLiteral("/both.odt");
    office_->makeDocument(document, {NumberedPages(QStringLiteral("both"), 3), /*headerAndFooter=*/true});
    Form1& main = window();
    main.documents().AppendDocument(document);
    main.PushButton7->click();
    ASSERT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});

    const QString byCommand = work_.filePath(QStringLiteral("cli"));
    QProcess split;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), work_.filePath(QStringLiteral("cache")));
    split.setProcessEnvironment(environment);
    split.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                {QStringLiteral("-o"), byCommand, document});
    ASSERT_TRUE(split.waitForFinished(300000));
    ASSERT_EQ(split.exitCode(), 0) << split.readAllStandardError().toStdString();

    ASSERT_EQ(outputNames().size(), 3);
    EXPECT_EQ(QDir(byCommand).entryList(QDir::Files, QDir::Name), outputNames());
    for (const QString& name : outputNames())
        EXPECT_EQ(ContentAndStyles(QDir(outputs()).filePath(name)),
                  ContentAndStyles(QDir(byCommand).filePath(name)))
            << name.toStdString();
}

TEST_F(WindowEndToEnd, ADocumentThatNeedsAPasswordIsReportedSoAndTheNextIsSplit) {
    const QString open = makeDocument(QStringLiteral("open"), 2);
    const QString secret = storeWithPassword(open, inputs() + QStringLiteral("/secret.odt"));
    Form1& main = window();
    main.documents().AppendDocument(secret);
    main.documents().AppendDocument(open);
    main.PushButton7->click();

    const QStringList texts = prompts_.messageTexts();
    ASSERT_EQ(texts.size(), 2) << texts.join('\n').toStdString();
    EXPECT_TRUE(texts[0].contains(QStringLiteral("The document needs a password.")))
        << texts[0].toStdString();
    EXPECT_FALSE(texts[0].contains(QStringLiteral("file:"))) << texts[0].toStdString();
    EXPECT_EQ(texts[1], kDoneMessage + QStringLiteral("\r\n1 of 2 documents split, 2 pages stored."));
    EXPECT_EQ(outputNames(), (QStringList{QStringLiteral("open_0001.odt"), QStringLiteral("open_0002.odt")}));
}

int PdfPageCount(const QString& path) {
    QPDF pdf;
    pdf.processFile(QFile::encodeName(path).constData());
    return static_cast<int>(QPDFPageDocumentHelper(pdf).getAllPages().size());
}

TEST_F(WindowEndToEnd, OutputFormatPdfInTheSettingsGivesOnePdfPerPage) {
    settings_.values[settings::kOutputFormat] = QStringLiteral("pdf");
    const QString document = makeDocument(QStringLiteral("printed"), 3);
    Form1& main = window();
    main.documents().AppendDocument(document);
    main.PushButton7->click();

    EXPECT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});
    ASSERT_EQ(outputNames(), (QStringList{"printed_0001.pdf", "printed_0002.pdf", "printed_0003.pdf"}));
    for (const QString& name : outputNames())
        EXPECT_EQ(PdfPageCount(QDir(outputs()).filePath(name)), 1) << name.toStdString();
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
    // The first document's pages may all be named in the batch that shows the folder was there.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Done\\.\r\n[01] of 2 documents split, "))
                    .match(messages.last())
                    .hasMatch())
        << messages.last().toStdString();
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
    const std::optional<ProgramOffice> found = OfficeOnceListening(programId);
    if (!found) program.kill();
    ASSERT_TRUE(found) << "the program's office did not come up";
    const pid_t wrapper = found->wrapper;
    const pid_t office = found->office;

    ::kill(programId, signalNumber);
    EXPECT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 128 + signalNumber);
    EXPECT_TRUE(WaitUntil([&] { return !IsRunning(wrapper) && !IsRunning(office); }, 5000))
        << "the office outlived the program";
    if (!ProcessGroupMembers(wrapper).isEmpty()) ::kill(-wrapper, SIGKILL);  // what the check found left
    if (program.state() != QProcess::NotRunning) program.kill();
}

// A display server that dies (a logout, a crash) ends the program; its office and pipe go with it.
TEST(WindowProgramDisplay, ADisplayThatGoesAwayEndsTheProgramAndItsOffice) {
    QTemporaryDir work;
    TestDesktop desktop(/*withWindowManager=*/false);  // a display of the test's own, to be killed
    ASSERT_TRUE(desktop.isUp());

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), desktop.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("FOLIOKNIFE_OFFICE_PROFILE"), work.filePath(QStringLiteral("profile")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.path());
    environment.insert(QStringLiteral("TMPDIR"), work.path());
    program.setProcessEnvironment(environment);
    program.start(ProgramFolder() + QStringLiteral("/folioknife"), {});
    ASSERT_TRUE(program.waitForStarted());
    const pid_t programId = static_cast<pid_t>(program.processId());
    const std::optional<ProgramOffice> found = OfficeOnceListening(programId);
    if (!found) program.kill();
    ASSERT_TRUE(found) << "the program's office did not come up";
    const pid_t wrapper = found->wrapper;
    const QByteArray pipe = found->pipe;

    desktop.killServer();
    EXPECT_TRUE(program.waitForFinished(30000)) << "the program outlived its display";
    EXPECT_TRUE(WaitUntil([&] { return ProcessGroupMembers(wrapper).isEmpty(); }, 10000))
        << "the office outlived the program";
    EXPECT_FALSE(QFileInfo::exists(OfficePipeSocket(pipe))) << "the office's pipe was left behind";
    if (!ProcessGroupMembers(wrapper).isEmpty()) ::kill(-wrapper, SIGKILL);  // what the check found left
    if (program.state() != QProcess::NotRunning) program.kill();
}

INSTANTIATE_TEST_SUITE_P(TerminationSignals, WindowProgramSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const ::testing::TestParamInfo<int>& signal) {
                             return std::string(::sigabbrev_np(signal.param));
                         });

namespace {

// Three chapters, each opening a page: as many pages as chapters, whichever way it is cut.
QString ChaptersXml() {
    QString body;
    for (const char* chapter : {"One", "Two", "Three"})
        body += QStringLiteral(
                    "<text:h text:style-name=\"Chapter\" text:outline-level=\"1\">Chapter %1</text:h>"
                    "<text:p>The words of chapter %1.</text:p>")
                    .arg(QLatin1String(chapter));
    return QStringLiteral(
               R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:styles><style:style style:name="Chapter" style:family="paragraph" style:default-outline-level="1"><style:paragraph-properties fo:break-before="page"/><style:text-properties fo:font-size="18pt"/></style:style></office:styles>
<office:body><office:text>%1</office:text></office:body></office:document>
)")
        .arg(body);
}

}  // namespace

TEST_F(WindowEndToEnd, PdfWordAndChapterRunsMakeWhatTheCommandLineMakes) {
    const QString book = office_->storeFlatAsOdt(ChaptersXml(), inputs() + QStringLiteral("/book.odt"));
    const struct {
        QString setting;
        QString value;
        QStringList options;
    } cases[] = {
        {settings::kOutputFormat, "pdf", {"--format", "pdf"}},
        {settings::kOutputFormat, "docx", {"--format", "docx"}},
        {settings::kCutAt, "heading:1", {"--at", "heading:1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.setting + '=' + c.value).toStdString());
        settings_.values.clear();
        settings_.values[c.setting] = c.value;
        prompts_.messages.clear();
        const QString byWindow = work_.filePath(c.value.section(':', 0, 0));
        QDir().mkpath(byWindow);
        Form1& main = window();
        main.Text1->setText(byWindow + QLatin1Char('/'));
        main.documents().AppendDocument(book);
        main.PushButton7->click();
        EXPECT_EQ(prompts_.messageTexts(), QStringList{kDoneMessage});

        const QString byCommand = byWindow + QStringLiteral("-cli");
        QProcess split;
        split.setProcessEnvironment(SplitEnvironment(work_.path()));
        split.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                    c.options + QStringList{QStringLiteral("-o"), byCommand, book});
        ASSERT_TRUE(split.waitForFinished(300000));
        ASSERT_EQ(split.exitCode(), 0) << split.readAllStandardError().toStdString();

        const QStringList pages = QDir(byWindow).entryList(QDir::Files, QDir::Name);
        EXPECT_EQ(pages.size(), 3) << pages.join(' ').toStdString();
        EXPECT_EQ(QDir(byCommand).entryList(QDir::Files, QDir::Name), pages);
        for (const QString& page : pages)
            EXPECT_EQ(page.endsWith(".pdf") ? PdfPageCount(QDir(byWindow).filePath(page))
                                            : office_->pageCounts(QDir(byWindow).filePath(page)).printed,
                      1)
                << page.toStdString();
    }
}

TEST_F(WindowEndToEnd, LockedSecretAndDamagedDocumentsAreEachToldThenTheRunIsSummed) {
    const QString held = makeDocument(QStringLiteral("held"), 1);
    QFile lock(inputs() + QStringLiteral("/.~lock.held.odt#"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("Ann Example,ann,desk7,08.12.2026 09:12,file:///home/ann/.config/libreoffice/4;");
    lock.close();
    const QString secret = storeWithPassword(held, inputs() + QStringLiteral("/secret.odt"));
    const QString damaged = inputs() + QStringLiteral("/damaged.odt");
    QFile damage(damaged);
    ASSERT_TRUE(damage.open(QIODevice::WriteOnly));
    damage.write(QByteArray("PK\x03\x04", 4) + QByteArray(2000, '\x17'));
    damage.close();
    const QString good = makeDocument(QStringLiteral("good"), 2);

    Form1& main = window();
    for (const QString& document : {held, secret, damaged, good}) main.documents().AppendDocument(document);
    main.PushButton7->click();

    const QStringList texts = prompts_.messageTexts();
    ASSERT_EQ(texts.size(), 4) << texts.join('\n').toStdString();
    const struct {
        QString document;
        QString says;
    } expected[] = {
        {held, "The document is open by Ann Example on desk7 since 08.12.2026 09:12;"},
        {secret, "The document needs a password."},
        {damaged, "The document cannot be opened: " + damaged},
    };
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(texts[k].contains(expected[k].says)) << texts[k].toStdString();
        EXPECT_FALSE(texts[k].contains(QStringLiteral("file:"))) << texts[k].toStdString();
        EXPECT_FALSE(texts[k].contains(QStringLiteral("Automation error"))) << texts[k].toStdString();
    }
    EXPECT_EQ(texts[3], kDoneMessage + QStringLiteral("\r\n1 of 4 documents split, 2 pages stored."));
    EXPECT_EQ(outputNames(), (QStringList{QStringLiteral("good_0001.odt"), QStringLiteral("good_0002.odt")}));
}

TEST_F(WindowEndToEnd, ADocumentPastItsDeadlineIsStoppedAndToldAndTheNextIsSplitByANewOffice) {
    settings_.values[settings::kTimeout] = QStringLiteral("5");
    const QString unfolding = inputs() + QStringLiteral("/unfolding.odt");
    test::WriteUnfoldingDocument(makeDocument(QStringLiteral("plain"), 1), unfolding);
    const QString after = makeDocument(QStringLiteral("after"), 2);
    QDir(outputs()).removeRecursively();
    QDir().mkpath(outputs());

    Form1& main = window();
    main.documents().AppendDocument(unfolding);
    main.documents().AppendDocument(after);
    main.PushButton7->click();

    const QStringList texts = prompts_.messageTexts();
    ASSERT_EQ(texts.size(), 2) << texts.join('\n').toStdString();
    EXPECT_TRUE(texts[0].contains(QStringLiteral("did not finish this document within 5 s")))
        << texts[0].toStdString();
    EXPECT_EQ(texts[1], kDoneMessage + QStringLiteral("\r\n1 of 2 documents split, 2 pages stored."));
    EXPECT_EQ(outputNames(),
              (QStringList{QStringLiteral("after_0001.odt"), QStringLiteral("after_0002.odt")}));
}
