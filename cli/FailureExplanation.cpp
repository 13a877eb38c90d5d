#include "cli/FailureExplanation.h"

#include <climits>

#include "split/OutputNames.h"

namespace fk::cli {

QString FailureExplanation::cause(const SplitFailure& failure) const {
    const bool opening = failure.stage == SplitStage::Open;
    // With --verbose given the office's own words follow anyway.
    const QString officeWords =
        verbose_ ? QString() : QStringLiteral("; --verbose adds the office's own words");
    switch (failure.kind) {
        case FailureKind::Interrupted:
            return failure.stage == SplitStage::Connect
                       ? QStringLiteral("the run was interrupted while LibreOffice was starting")
                       : QStringLiteral("the run was interrupted");
        case FailureKind::LockNotAFile:
            return failure.message +
                   QStringLiteral(
                       " where LibreOffice keeps the document's lock file, and the office would hang on it, "
                       "so the document was not opened; remove it and split again");
        case FailureKind::NotFound:
            if (opening)
                return failure.message + QStringLiteral(": it was removed or renamed during the run");
            break;
        case FailureKind::Damaged:
            if (opening)
                return failure.message +
                       QStringLiteral("; the document is damaged or not of the kind its name says");
            break;
        case FailureKind::NoSpace:
            return failure.message + QStringLiteral("; make room there and split again");
        case FailureKind::Password:
            return QStringLiteral("the document needs a password; remove it in the office and split again");
        case FailureKind::Locked:
            return QStringLiteral(
                       "the document is open in %1; close it there, or remove its lock file if that office "
                       "is gone")
                .arg(failure.message);
        case FailureKind::NameTooLong:
            if (opening)
                return QStringLiteral(
                           "the document's name is too long for the lock file the office keeps beside it "
                           "(%1NAME%2 must fit in %3 bytes); rename the document to split it")
                    .arg(kLockFilePrefix, kLockFileSuffix)
                    .arg(NAME_MAX);
            // A page is first stored under a longer private name, so a name that fits the file system can
            // still fail.
            return QStringLiteral(
                       "the page's file name is too long for the file system (with the temporary name it is "
                       "first stored under, it must fit in %1 bytes); rename the document to split it")
                .arg(NAME_MAX);
        case FailureKind::TimedOut:
            return failure.message + QStringLiteral("; a new office takes the next document");
        case FailureKind::OfficeGone:
            return QStringLiteral("LibreOffice went away during this step (it crashed or was stopped)") +
                   officeWords;
        default:
            break;
    }
    if (failure.stage == SplitStage::Connect)
        return QStringLiteral(
            "LibreOffice could not be started or reached; check that libreoffice-writer is installed and "
            "starts");
    if (opening)
        return QStringLiteral(
            "LibreOffice cannot open the document; it may be damaged or of a kind the office does not read");
    switch (failure.kind) {
        case FailureKind::OfficeRefused:
        case FailureKind::OfficeUnreachable:
            // The office's own words ("Binary URP bridge disposed during call at ./binaryurp/...") mean
            // little to the user; --verbose adds them.
            return QStringLiteral("LibreOffice failed at this step") + officeWords;
        default:
            return failure.message;
    }
}

QString FailureExplanation::text(const SplitFailure& failure) const {
    QString text = cause(failure);
    if (verbose_ && !text.contains(failure.message))
        text += QStringLiteral(" [office: ") + failure.message + QLatin1Char(']');
    if (failure.page > 0) text = QStringLiteral("page %1: ").arg(failure.page) + text;
    return text + QStringLiteral(" (") + StageName(failure.stage) + QLatin1Char(')');
}

}  // namespace fk::cli
