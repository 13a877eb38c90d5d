#pragma once

#include <QList>
#include <QStringList>
#include <QTextStream>

#include "split/SplitJob.h"

namespace fk::cli {

// Where an interrupted run stopped: documents finished (split or failed), documents cut short with
// the pages they got so far, and documents it did not start.
struct RunInterruption {
    int finished = 0;
    QList<DocumentResult> cutShort;
    QStringList notStarted;
};

RunInterruption WhereRunStopped(const QList<QStringList>& groups, const QList<DocumentResult>& results);

// Lines after the summary: the signal, the counts, each document cut short and each not started.
void PrintInterruption(QTextStream& out, int signalNumber, const RunInterruption& where);
// The same for a run stopped by something other than a signal, told as `cause`.
void PrintInterruption(QTextStream& out, const QString& cause, const RunInterruption& where);

}  // namespace fk::cli
