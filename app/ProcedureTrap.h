#pragma once

#include <QString>
#include <exception>
#include <utility>

#include "app/Prompts.h"

namespace fk {

// The uniform error report of the program's reporting procedures. A procedure runs its body as
// numbered steps (100, 102, ...); a step that throws is reported with the procedure's path and the
// step's line, and the procedure goes on with its next step.
class ProcedureTrap {
public:
    ProcedureTrap(Prompts& prompts, QString procedurePath)
        : prompts_(prompts), path_(std::move(procedurePath)) {}

    int reportCount() const { return reports_; }

    // Runs a numbered step. Returns false when it failed (and was reported).
    template <typename Step>
    bool step(int line, Step&& body) {
        line_ = line;
        return guarded(std::forward<Step>(body));
    }

    // A statement without a number of its own belongs to the numbered line above it.
    template <typename Step>
    bool more(Step&& body) {
        return guarded(std::forward<Step>(body));
    }

    // The test of a conditional block: a test that fails is reported, and then the block runs,
    // because execution resumes at the next statement, and that is the first one inside the block.
    template <typename Test>
    bool test(int line, Test&& condition) {
        line_ = line;
        bool result = true;
        guarded([&] { result = condition(); });
        return result;
    }

    // Reports the exception in flight under the current line.
    void reportCurrentException();
    void report(const QString& description);
    // Reports a failure that happened elsewhere under the given line.
    void reportAt(int line, const QString& description) {
        line_ = line;
        report(description);
    }

    static QString message(const QString& description, const QString& procedurePath, int line);
    static const QString kSupportAddress;

private:
    template <typename Body>
    bool guarded(Body&& body) {
        try {
            body();
            return true;
        } catch (...) {
            reportCurrentException();
            return false;
        }
    }

    Prompts& prompts_;
    QString path_;
    int line_ = 0;
    int reports_ = 0;
};

namespace procedure {
inline const QString kFormLoad = QStringLiteral("in Tamberlon2021/08/31.Form1.Form_Load ");
inline const QString kPushButton1 = QStringLiteral("in Tamberlon2021/08/31.Form1.PushButton1_Click ");
inline const QString kPushButton4 = QStringLiteral("in Tamberlon2021/08/31.Form1.PushButton4_Click ");
inline const QString kPushButton5 = QStringLiteral("in Tamberlon2021/08/31.Form1.PushButton5_Click ");
inline const QString kPushButton6 = QStringLiteral("in Tamberlon2021/08/31.Form1.PushButton6_Click ");
inline const QString kPushButton7 = QStringLiteral("in Tamberlon2021/08/31.Form1.PushButton7_Click ");
inline const QString kPushButton9 = QStringLiteral("in Tamberlon2021/08/31.Form1.PushButton9_Click ");
inline const QString kPushButton10 = QStringLiteral("in Tamberlon2021/08/31.Form1.PushButton10_Click ");
inline const QString kGetSubDirectories2016 =
    QStringLiteral("in Dunmorrow2021/08/31.AddFolder.GetSubDirectories2016 ");
}  // namespace procedure

}  // namespace fk
