#include "app/AddChosenFiles.h"

#include "app/Platform.h"
#include "app/ProcedureTrap.h"
#include "app/RuntimeError.h"
#include "gather/DocumentExtensions.h"
#include "gather/PathList.h"

namespace fk {

QString AddFilesFilter() {
    QStringList patterns;
    for (const QString& extension : SplitExtensions()) patterns << QStringLiteral("*.") + extension;
    return QStringLiteral("Word-processor documents (%1)|%2|")
               .arg(patterns.join(QLatin1Char(' ')), patterns.join(QLatin1Char(';'))) +
           kWriterFilesFilter;
}

void PushButton1_Click(Prompts& prompts, DocumentListModel& list) {
    ProcedureTrap trap(prompts, procedure::kPushButton1);
    FileDialogRequest request;
    QString answer;

    trap.step(100, [&] {
        request.title = kAddFilesTitle;
        request.filter = AddFilesFilter();
        request.multiSelect = true;
    });
    bool tooManyFiles = false;
    trap.step(102, [&] {
        try {
            answer = prompts.openFileDialog(request);
        } catch (const Failure& error) {
            // The one error answered with a message of its own: more names than the dialog can return.
            if (error.kind() != FailureKind::TooMany) throw;
            tooManyFiles = true;
        }
    });
    if (tooManyFiles) {
        prompts.messageBox(kTooManyFilesMessage, kOkOnly);
        return;
    }
    if (answer.isEmpty()) return;

    QStringList parts;
    trap.step(104, [&] { parts = answer.split(QChar(0)); });
    if (parts.size() == 1) {
        trap.step(106, [&] { list.AppendDocument(parts.first()); });
        return;
    }
    for (int i = 1; i < parts.size(); ++i) {
        trap.step(108, [&] {
            list.AppendDocument(NormalizePath(parts.first() + platform::kPathSeparator + parts.at(i)));
        });
    }
}

void AppendNamedFiles(const QStringList& paths, DocumentListModel& list) {
    for (const QString& path : paths) list.AppendDocument(NormalizePath(path));
}

}  // namespace fk
