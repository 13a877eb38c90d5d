#include "split/OfficeConversion.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>

#include "base/Failure.h"
#include "basic/WordLayout.h"
#include "slicer/WordLinks.h"
#include "split/PdfExport.h"
#include "split/StagedPageFile.h"

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

office::BasicModule OfficeConversion::wordLayoutModule() {
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("WordLayout"),
            QString::fromUtf8(basic::kWordLayout)};
}

void OfficeConversion::convert(const QString& openDocument, const QString& target) const {
    // The office stores in a private folder of its own, never beside the target: its store makes the
    // folders it is given, and so would make an output folder that was moved away again.
    StagedPageFile staged(target, [this](const QString& stored) {
        return looksLike(format_, headOf(stored))
                   ? QString()
                   : QStringLiteral("the office wrote no %1 file").arg(FormatName(format_));
    });
    staged.reserve();
    if (format_ == OutputFormat::Pdf) {
        // In one call, as the office's converter prints it (see DocumentStore::loadAndStore).
        try {
            documents_.loadAndStore(ToFileUrl(openDocument), {.hidden = true, .readOnly = true},
                                    ToFileUrl(staged.stagingPath()), storeArguments(format_) << LinksFrom(target));
        } catch (const Failure& failure) {
            throw notStored(target, failure.message(), failure.kind());
        }
        staged.commit();
        return;
    }
    try {
        const office::DocumentRef document =
            documents_.load(ToFileUrl(openDocument), {.hidden = true, .readOnly = true});
        try {
            if (format_ == OutputFormat::Docx)
                documents_.runBasic(wordLayoutModule(), kWordLayoutFunction, document, {});
            documents_.storeToUrl(document, ToFileUrl(staged.stagingPath()),
                                  storeArguments(format_) << LinksFrom(target));
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
    if (format_ == OutputFormat::Docx) {
        // The Word filter writes links from where it stored the file, whatever base it is given.
        const auto path = [](const QString& file) {
            return std::filesystem::path(QFile::encodeName(QFileInfo(file).absolutePath()).toStdString());
        };
        try {
            slicer::WordLinks(path(staged.stagingPath()), path(target))
                .place(QFile::encodeName(staged.stagingPath()).toStdString());
        } catch (const std::exception& error) {
            throw notStored(target, QString::fromLocal8Bit(error.what()));
        }
    }
    staged.commit();
}

}  // namespace fk
