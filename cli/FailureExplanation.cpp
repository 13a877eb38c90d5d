#include "cli/FailureExplanation.h"

#include <QFile>
#include <QFileInfo>
#include <climits>

#include "cli/OfficeProfiles.h"
#include "fsutil/FileHelpers.h"
#include "slicer/PackageInfo.h"
#include "slicer/TemporaryName.h"
#include "split/LockFile.h"
#include "split/OutputNames.h"
#include "split/PasswordProtection.h"

namespace fk::cli {

QString FailureExplanation::lockHolder(const QString& documentPath) {
    return LockFile::holderOf(documentPath, OfficeProfiles::defaultBaseFolder());
}

bool FailureExplanation::needsPassword(const QString& documentPath) {
    return NeedsPassword(documentPath);
}

namespace {

// The office's own words ("Binary URP bridge disposed during call at ./binaryurp/...") mean little to
// the user; --verbose adds them.
QString causeWithoutOfficeWords(const SplitFailure& failure) {
    switch (failure.kind) {
        case FailureKind::OfficeRefused:
        case FailureKind::OfficeGone:
        case FailureKind::OfficeUnreachable:
            return QStringLiteral(
                "LibreOffice failed at this step or went away during it; --verbose adds the office's "
                "own words");
        default:
            return failure.message;
    }
}

}  // namespace

QString FailureExplanation::cause(const SplitFailure& failure, const QString& documentPath) const {
    switch (failure.stage) {
        case SplitStage::Connect:
            if (failure.kind == FailureKind::Interrupted)
                return QStringLiteral("the run was interrupted while LibreOffice was starting");
            return QStringLiteral(
                "LibreOffice could not be started or reached; check that libreoffice-writer "
                "is installed and starts");
        case SplitStage::Open: {
            if (QFileInfo(LockFilePath(documentPath)).fileName().toUtf8().size() > NAME_MAX)
                return QStringLiteral(
                           "the document's name is too long for the lock file the office keeps beside it "
                           "(%1NAME%2 must fit in %3 bytes); rename the document to split it")
                    .arg(kLockFilePrefix, kLockFileSuffix)
                    .arg(NAME_MAX);
            if (needsPassword(documentPath))
                return QStringLiteral(
                    "the document needs a password; remove it in the office and split again");
            const QString holder = lockHolder(documentPath);
            if (!holder.isEmpty())
                return QStringLiteral(
                           "the document is open in %1; close it there, or remove its lock file if "
                           "that office is gone")
                    .arg(holder);
            return QStringLiteral(
                "LibreOffice cannot open the document; it may be damaged or of a kind the "
                "office does not read");
        }
        case SplitStage::Store: {
            const QString name = PageFileName(documentPath, 0);
            // A page is first stored under a longer private name, so a name that fits the file system can
            // still fail.
            if (name.toUtf8().size() + qsizetype{slicer::TemporaryName::kLongestAddition} > NAME_MAX)
                return QStringLiteral(
                           "the page's file name is too long for the file system (with the temporary name "
                           "it is first stored under, it must fit in %1 bytes); rename the document to "
                           "split it")
                    .arg(NAME_MAX);
            return causeWithoutOfficeWords(failure);
        }
        default:
            return causeWithoutOfficeWords(failure);
    }
}

QString FailureExplanation::text(const SplitFailure& failure, const QString& documentPath) const {
    QString text = cause(failure, documentPath);
    if (verbose_ && text != failure.message)
        text += QStringLiteral(" [office: ") + failure.message + QLatin1Char(']');
    if (failure.page > 0) text = QStringLiteral("page %1: ").arg(failure.page) + text;
    return text + QStringLiteral(" (") + StageName(failure.stage) + QLatin1Char(')');
}

}  // namespace fk::cli
