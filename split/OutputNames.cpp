#include "split/OutputNames.h"

#include <QFileInfo>
#include <QHash>

#include "fsutil/FileHelpers.h"
#include "slicer/PagePlan.h"

namespace fk {

QString OutputBaseName(const QString& documentPath) {
    return RemoveExtension(QFileInfo(documentPath).fileName());
}

QString PageNumberText(int page) {
    return QStringLiteral("%1").arg(page, slicer::kPageNumberDigits, 10, QLatin1Char('0'));
}

QString FormatName(OutputFormat format) {
    switch (format) {
        case OutputFormat::Odt:
            return QStringLiteral("odt");
        case OutputFormat::Pdf:
            return QStringLiteral("pdf");
        case OutputFormat::Docx:
            return QStringLiteral("docx");
    }
    return {};
}

std::optional<OutputFormat> FormatNamed(const QString& name) {
    for (const OutputFormat format : {OutputFormat::Odt, OutputFormat::Pdf, OutputFormat::Docx}) {
        if (name == FormatName(format)) return format;
    }
    return std::nullopt;
}

QString PageFileName(const QString& documentPath, int page, OutputFormat format) {
    return OutputBaseName(documentPath) + QLatin1Char('_') + PageNumberText(page) + QLatin1Char('.') +
           FormatName(format);
}

QString PageFilePath(const QString& outputFolder, const QString& documentPath, int page,
                     OutputFormat format) {
    QString folder = outputFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder + PageFileName(documentPath, page, format);
}

QString LockFilePath(const QString& documentPath) {
    const QFileInfo document(documentPath);
    return document.absolutePath() + QLatin1Char('/') + kLockFilePrefix + document.fileName() +
           kLockFileSuffix;
}

QList<QStringList> GroupBySharedOutputNames(const QStringList& documents) {
    QList<QStringList> groups;
    QHash<QString, qsizetype> groupOfName;
    for (const QString& document : documents) {
        const QString name = OutputBaseName(document);
        const auto found = groupOfName.constFind(name);
        if (found != groupOfName.cend()) {
            groups[*found].append(document);
        } else {
            groupOfName.insert(name, groups.size());
            groups.append(QStringList{document});
        }
    }
    return groups;
}

}  // namespace fk
