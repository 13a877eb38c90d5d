#include "cli/RunInterruption.h"

#include <QSet>
#include <cstring>

#include "cli/NativeNames.h"

namespace fk::cli {

namespace {

QString documents(qsizetype count) {
    return count == 1 ? QStringLiteral("1 document") : QStringLiteral("%1 documents").arg(count);
}

QString signalName(int signalNumber) {
    const char* abbreviation = ::sigabbrev_np(signalNumber);
    return abbreviation ? QStringLiteral("SIG") + QString::fromLatin1(abbreviation)
                        : QStringLiteral("signal %1").arg(signalNumber);
}

}  // namespace

RunInterruption WhereRunStopped(const QList<QStringList>& groups, const QList<DocumentResult>& results) {
    RunInterruption where;
    QSet<QString> reached;
    for (const DocumentResult& result : results) {
        reached.insert(result.path);
        if (result.interrupted)
            where.cutShort << result;
        else
            ++where.finished;
    }
    for (const QStringList& group : groups) {
        for (const QString& document : group) {
            if (!reached.contains(document)) where.notStarted << document;
        }
    }
    return where;
}

void PrintInterruption(QTextStream& out, int signalNumber, const RunInterruption& where) {
    PrintInterruption(out, signalName(signalNumber), where);
}

void PrintInterruption(QTextStream& out, const QString& cause, const RunInterruption& where) {
    out << QStringLiteral("Interrupted by %1: %2 done, %3 cut short, %4 not started\n")
               .arg(cause, documents(where.finished))
               .arg(where.cutShort.size())
               .arg(where.notStarted.size());
    for (const DocumentResult& result : where.cutShort) {
        const QString stored = result.split.pageCount > 0
                                   ? QStringLiteral("%1 of %2 pages stored")
                                         .arg(result.split.pagesStored)
                                         .arg(result.split.expectedOutputs())
                                   : QStringLiteral("%1 pages stored").arg(result.split.pagesStored);
        out << QStringLiteral("  cut short: %1: %2\n").arg(DisplayName(result.path), stored);
    }
    for (const QString& document : where.notStarted)
        out << QStringLiteral("  not started: %1\n").arg(DisplayName(document));
    out.flush();
}

}  // namespace fk::cli
