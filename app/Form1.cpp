#include "app/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>

#include "app/AddChosenFiles.h"
#include "app/AddFolderFiles.h"
#include "app/CursorHotSpot.h"
#include "app/FolderWalk.h"
#include "app/PresenceCheck.h"
#include "app/ProcedureTrap.h"
#include "app/RuntimeError.h"
#include "app/SampleFiles.h"
#include "app/SettingsKeys.h"
#include "app/WindowFileHelpers.h"

namespace fk {

namespace {

// The program's icon in every size it ships, compiled into the program.
QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/folioknife-%1.png").arg(size), QSize(size, size));
    return icon;
}

QRect twipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

QFont arialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

constexpr qreal kStandardFontPoints = 9;
constexpr qreal kButtonFontPoints = 11.25;
constexpr int kListColumnTwips = 7000;

}  // namespace

const QString Form1::kListColumnHeader = QStringLiteral(" Writer File(s)");

Form1::Form1(Form1Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      services_(std::move(services)) {
    splitRun_ = std::make_unique<SplitRun>(
        services_.office, services_.engine, services_.prompts, static_cast<SplitRunWindow&>(*this),
        services_.makeEngine, PrintedPagesFactory{},
        SplitRunSettings{services_.reportFile, services_.timeout, services_.abandonOffice});
    setFixedSize(kClientWidth, kClientHeight);
    setFont(arialBold(kStandardFontPoints));
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    setAutoFillBackground(true);
    setMouseTracking(true);
    createControls();
    setTabOrder();
    connectHandlers();
}

Form1::~Form1() = default;

QPushButton* Form1::makeButton(const QString& caption, const QRect& twips, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    button->setFont(arialBold(kButtonFontPoints));
    button->setMouseTracking(true);
    button->installEventFilter(this);
    // Return presses the focused button, as Space does; the window is no dialog, so it must say so.
    button->setAutoDefault(true);
    return button;
}

void Form1::createControls() {
    PushButton5 = makeButton(QStringLiteral("Help"), {120, 120, 7800, 405}, this);

    ListView1 = new DocumentListView(
        documents_, [this] { return pointer_.isBusy(); }, this);
    ListView1->setGeometry(twipsRect(120, 630, 7800, 2265));
    ListView1->setFont(arialBold(kStandardFontPoints));
    ListView1->setDragPointerFile(services_.programFolder + QStringLiteral("/drag.ico"));

    PushButton1 = makeButton(QStringLiteral("Add Writer File(s)"), {120, 2980, 3840, 405}, this);
    PushButton6 =
        makeButton(QStringLiteral("Add All Writer File(s) In Folder"), {4080, 2980, 3840, 405}, this);
    PushButton9 = makeButton(QStringLiteral("Clear List"), {120, 3490, 3840, 405}, this);
    PushButton10 = makeButton(QStringLiteral("Load Sample/Example Files"), {4080, 3490, 3840, 405}, this);

    Frame1 = new QGroupBox(QStringLiteral("Save Results To This Folder"), this);
    Frame1->setGeometry(twipsRect(120, 3940, 7800, 810));
    Frame1->setMouseTracking(true);
    Frame1->installEventFilter(this);
    Text1 = new QLineEdit(Frame1);
    Text1->setGeometry(twipsRect(240, 300, 6495, 345));
    PushButton4 = makeButton(QStringLiteral("..."), {6840, 300, 720, 345}, Frame1);

    PushButton7 = makeButton(QStringLiteral("Start Splitting"), {120, 4870, 7800, 405}, this);

    ProgressBar1 = new PlainTextProgressBar(this);
    ProgressBar1->setGeometry(twipsRect(120, 5400, 7800, 405));
    ProgressBar1->setFont(arialBold(kButtonFontPoints));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    ProgressBar1->setPlainText(kIdleProgressText);
}

void Form1::setTabOrder() {
    // Tab indexes of the form: list 0, buttons 3..8, then the folder box and its button.
    const QList<QWidget*> order{ListView1,   PushButton1, PushButton6, PushButton9, PushButton10,
                                PushButton5, PushButton7, Text1,       PushButton4};
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order.at(i - 1), order.at(i));
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
}

void Form1::connectHandlers() {
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(PushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(&pointer_, &WindowPointer::changed, this, &Form1::applyPointer);
    connect(ListView1, &DocumentListView::pointerMoved, &pointer_, &WindowPointer::hoverBackground);
    connect(ListView1, &DocumentListView::filesDropped, this, &Form1::filesDropped);
    addWindowKeys();
}

void Form1::addWindowKeys() {
    // Through the buttons, so that a key does what a click would, and nothing while a click would not.
    const auto addKey = [this](const QKeySequence& key, const std::function<void()>& press) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, press);
        addAction(action);
    };
    addKey(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { PushButton1->click(); });
    addKey(QKeySequence(Qt::Key_F1), [this] { PushButton5->click(); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
}

void Form1::Form_Load() {
    ProcedureTrap trap(services_.prompts, procedure::kFormLoad);
    trap.step(100, [&] { ApplySkin(); });
    const QString cursorFile = services_.programFolder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(104, [&] { return FileExists(cursorFile); })) {
        trap.step(106, [&] {
            const QPixmap picture(cursorFile);
            if (picture.isNull()) throw RuntimeError(481, QStringLiteral("Invalid picture"));
            const QPoint hotSpot = CursorFileHotSpot(cursorFile).value_or(QPoint(0, 0));
            customPointer_ = QCursor(picture, hotSpot.x(), hotSpot.y());
        });
    }
    trap.step(108, [&] { OpenMakerSiteAtRandom(services_.random, services_.prompts); });
    trap.step(126, [&] { setWindowTitle(kProductName); });
    trap.more([&] { setWindowIcon(ProgramIcon()); });
    trap.more([&] { services_.prompts.setApplicationTitle(SetAppTitle(kProductName)); });
    trap.step(128, [&] { documents_.setColumnHeader(kListColumnHeader); });
    trap.step(130, [&] { ListView1->header()->resizeSection(0, TwipsToPixels(kListColumnTwips)); });
    trap.step(132, [&] {
        const QString desktop = GetDesktopFolder(services_.specialFolderPath);
        Text1->setText(services_.settings.read(settings::kText1, desktop));
    });
    trap.step(134, [&] {
        IsOpenOfficeInstalled(services_.office, services_.prompts, [this] {
            programEnded_ = true;
            services_.endProgram();
        });
    });
}

// The skin is a Qt style sheet. Its odd name is the one installed skins have always had, so an
// installed or customised skin keeps working.
const QString Form1::kSkinStyleSheet = QStringLiteral("/x/o.cjs");

void Form1::ApplySkin() {
    const QString skinFile = services_.programFolder + kSkinStyleSheet;
    if (!QFileInfo(skinFile).isFile()) return;
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1)}) {
        QPalette colours = widget->palette();
        colours.setColor(QPalette::Window, buttonFace);
        widget->setPalette(colours);
        widget->setAutoFillBackground(true);
    }
    QFile skin(skinFile);
    if (!skin.open(QIODevice::ReadOnly)) throw RuntimeError(53, QStringLiteral("File not found"));
    setStyleSheet(QString::fromUtf8(skin.readAll()));
    skinApplied_ = true;
}

void Form1::applyPointer(int value) {
    if (value == WindowPointer::kHourglass) {
        setCursor(Qt::WaitCursor);
    } else if (value == WindowPointer::kCustom && customPointer_) {
        setCursor(*customPointer_);
    } else {
        unsetCursor();
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == Frame1) {
            pointer_.hoverBackground();
        } else if (qobject_cast<QPushButton*>(watched) != nullptr) {
            pointer_.hoverButton();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    pointer_.hoverBackground();
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent* event) {
    // Form_Unload: the program ends at once; every setting is already on disk.
    event->accept();
    programEnded_ = true;
    services_.endProgram();
}

void Form1::PushButton1_Click() {
    fk::PushButton1_Click(services_.prompts, documents_);
}

void Form1::AddHandedFiles(const QStringList& paths) {
    AppendNamedFiles(paths, documents_);
}

void Form1::PushButton4_Click() {
    ProcedureTrap trap(services_.prompts, procedure::kPushButton4);
    QString lastFolder;
    QString chosen;
    trap.step(100, [&] {
        lastFolder = services_.settings.read(settings::kLastFolderDot, QString());
        chosen = BrowseForFolder(services_.prompts, kSelectFolderTitle, lastFolder);
    });
    if (trap.test(102, [&] { return chosen.isEmpty(); })) return;
    trap.step(104, [&] {
        lastFolder = chosen;
        services_.settings.write(settings::kLastFolderDot, lastFolder);
    });
    if (!chosen.endsWith(platform::kPathSeparator)) {
        trap.step(106, [&] { Text1->setText(chosen + platform::kPathSeparator); });
    } else {
        trap.step(108, [&] { Text1->setText(chosen); });
    }
}

void Form1::PushButton5_Click() {
    ProcedureTrap trap(services_.prompts, procedure::kPushButton5);
    trap.step(100, [&] { services_.prompts.messageBox(HelpMessage(), kOkOnly); });
}

void Form1::PushButton6_Click() {
    FolderScanServices scan{services_.prompts, services_.settings, services_.fileSystem, pointer_,
                            [this] { yield(); }};
    fk::PushButton6_Click(scan, documents_);
}

void Form1::PushButton7_Click() {
    splitRun_->PushButton7_Click();
}

void Form1::PushButton9_Click() {
    ProcedureTrap trap(services_.prompts, procedure::kPushButton9);
    trap.step(100, [&] { ListView1->gestures().clearList(); });
}

void Form1::PushButton10_Click() {
    ProcedureTrap trap(services_.prompts, procedure::kPushButton10);
    trap.step(100, [&] { LoadSampleFiles(documents_, services_.programFolder, services_.prompts); });
}

void Form1::filesDropped(const QStringList& paths) {
    AddDroppedPaths(paths, documents_, services_.fileSystem, services_.prompts, [this] { yield(); });
}

void Form1::Text1_Change() {
    try {
        services_.settings.write(settings::kText1, Text1->text());
    } catch (const Failure&) {
        // The change handler has no report of its own; the next change writes again.
    }
}

int Form1::documentCount() {
    return documents_.count();
}

QString Form1::documentText(int index) {
    if (index < 1 || index > documents_.count())
        throw RuntimeError(35600, QStringLiteral("Index out of bounds"));
    return documents_.text(index);
}

QString Form1::outputFolderText() {
    return Text1->text();
}

QString Form1::defaultOutputFolderText() {
    try {
        return GetDesktopFolder(services_.specialFolderPath);
    } catch (const Failure&) {
        return {};  // no desktop: there is no default to make
    }
}

void Form1::setProgressValue(double percent) {
    progressValue_ = percent;
    ProgressBar1->setValue(qRound(percent));
}

void Form1::setProgressText(const QString& text) {
    ProgressBar1->setPlainText(text);
}

void Form1::setPointer(int value) {
    pointer_.set(value);
}

void Form1::yield() {
    QCoreApplication::processEvents();
}

}  // namespace fk
