#pragma once

#include <QCursor>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "app/FileSystem.h"
#include "app/PlainTextProgressBar.h"
#include "app/Prompts.h"
#include "app/SplitRun.h"
#include "app/StartUp.h"
#include "app/WindowPointer.h"
#include "base/SettingsStore.h"
#include "doclist/DocumentListModel.h"
#include "doclist/DocumentListView.h"
#include "split/OfficeSession.h"

namespace fk {

// Everything the main window reaches outside itself, handed in so that tests can replace it.
struct Form1Services {
    Prompts& prompts;
    SettingsStore& settings;
    office::OfficeSession& office;
    EngineChoice engine;  // how Start Splitting splits each document
    FileSystem& fileSystem;
    QString programFolder;
    RandomSource random;
    std::function<QString(int)> specialFolderPath = GetSpecialFolderPath;
    // Ends the program at once, without closing windows in the usual way.
    std::function<void()> endProgram;
    // The engine of each document, where a test replaces the one `engine` chooses.
    SplitEngineFactory makeEngine = {};
    // Where each run's report is written (the "Report" setting); empty for none.
    QString reportFile = {};
    // The "Timeout" setting (0: none); unset, each document has the deadline its size gives it.
    std::optional<std::chrono::milliseconds> timeout = {};
    // Kills the office when a document's deadline passes.
    std::function<void()> abandonOffice = {};
};

// The main window: the document list, its buttons, the output folder and the progress bar.
class Form1 : public QWidget, private SplitRunWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 536;
    static constexpr int kClientHeight = 394;
    static const QString kListColumnHeader;

    explicit Form1(Form1Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence, run once before the window is first shown.
    void Form_Load();
    bool programEnded() const { return programEnded_; }

    // Handlers of the buttons, by their form names.
    void PushButton1_Click();
    // Files handed to the window at start or by a later start, listed as "Add Writer File(s)" lists them.
    void AddHandedFiles(const QStringList& paths);
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton9_Click();
    void PushButton10_Click();
    void Text1_Change();

    WindowPointer& pointer() { return pointer_; }
    DocumentListModel& documents() { return documents_; }
    bool IsSplitting() const { return splitRun_->IsSplitting(); }
    double progressValue() const { return progressValue_; }
    QString progressText() const { return ProgressBar1->text(); }
    bool hasCustomPointer() const { return customPointer_.has_value(); }
    bool skinApplied() const { return skinApplied_; }

    DocumentListView* ListView1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* Text1 = nullptr;
    PlainTextProgressBar* ProgressBar1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void setTabOrder();
    void connectHandlers();
    // Ctrl+O adds files, F1 is Help, Ctrl+Q closes the window.
    void addWindowKeys();
    void applyPointer(int value);
    void ApplySkin();
    static const QString kSkinStyleSheet;  // in the program folder
    void filesDropped(const QStringList& paths);
    QPushButton* makeButton(const QString& caption, const QRect& twips, QWidget* parent);

    // SplitRunWindow
    int documentCount() override;
    QString documentText(int index) override;
    QString outputFolderText() override;
    QString defaultOutputFolderText() override;
    void setProgressValue(double percent) override;
    void setProgressText(const QString& text) override;
    void setPointer(int value) override;
    void yield() override;

    Form1Services services_;
    WindowPointer pointer_;
    DocumentListModel documents_;
    std::unique_ptr<SplitRun> splitRun_;
    std::optional<QCursor> customPointer_;
    double progressValue_ = 0;
    bool programEnded_ = false;
    bool skinApplied_ = false;
};

// Twips of the form designer to pixels at 96 dpi.
constexpr int TwipsToPixels(int twips) {
    return (twips + 7) / 15;
}

}  // namespace fk
