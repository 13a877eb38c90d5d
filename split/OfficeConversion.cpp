#include "split/OfficeConversion.h"

#include <QFile>
#include <QFileInfo>
#include <system_error>

#include "base/Failure.h"
#include "files/StagedFile.h"
#include "split/OutputProbe.h"
#include "split/PdfExport.h"

namespace fk {

namespace {

Failure notStored(const QString& target, const QString& why, FailureKind kind = FailureKind::FileAccess) {
    return Failure(kind, QStringLiteral("The page document was not converted: ") + target +
                             QStringLiteral(" (") + why + QLatin1Char(')'));
}

QByteArray headOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(8);
}

}  // namespace

office::Arguments OfficeConversion::storeArguments(OutputFormat format) {
    switch (format) {
        case OutputFormat::Odt:
            return {};
        case OutputFormat::Pdf:
            return PdfExportArguments();
        case OutputFormat::Docx:
            return {{QStringLiteral("FilterName"), QStringLiteral("MS Word 2007 XML")}};
    }
    return {};
}

bool OfficeConversion::looksLike(OutputFormat format, const QByteArray& head) {
    switch (format) {
        case OutputFormat::Pdf:
            return head.startsWith("%PDF-");
        case OutputFormat::Odt:
        case OutputFormat::Docx:
            return head.startsWith("PK\x03\x04");
    }
    return false;
}

void OfficeConversion::convert(const QString& openDocument, const QString& target) const {
    // In a private folder beside the target: the store's own temporary files go with it.
    files::StagedFile staged(QFile::encodeName(QFileInfo(target).absoluteFilePath()).toStdString(),
                              files::StagedFile::Layout::InOwnFolder);
    try {
        staged.reserve();
    } catch (const std::system_error& error) {
        throw notStored(target, QString::fromLocal8Bit(error.code().message()),
                        FailureKindOfErrno(error.code().value()));
    }
    const QString staging = QFile::decodeName(staged.path().c_str());
    const OutputProbe probe(staging);
    try {
        const office::DocumentRef document =
            documents_.load(ToFileUrl(openDocument), {.hidden = true, .readOnly = true});
        try {
            documents_.storeToUrl(document, ToFileUrl(staging), storeArguments(format_));
        } catch (...) {
            try {
                documents_.close(document);
            } catch (...) {
            }
            throw;
        }
        documents_.close(document);
    } catch (const Failure& failure) {
        // Of the office's kind (gone, refused), so that the explanation names the cause.
        throw notStored(target, failure.message(), failure.kind());
    }
    if (!probe.written() || !looksLike(format_, headOf(staging)))
        throw notStored(target, QStringLiteral("the office wrote no %1 file").arg(FormatName(format_)));
    try {
        staged.commit();
    } catch (const std::system_error& error) {
        throw notStored(target, QString::fromLocal8Bit(error.code().message()),
                        FailureKindOfErrno(error.code().value()));
    }
}

}  // namespace fk
