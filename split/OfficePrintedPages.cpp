#include "split/OfficePrintedPages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <map>
#include <system_error>

#include "base/Failure.h"
#include "files/StagedFile.h"
#include "split/OfficeConversion.h"

namespace fk {

namespace {

// A long document renders in seconds at this resolution; far beyond that, the renderer is stuck.
constexpr int kRenderMilliseconds = 300'000;

// The next header field of a grey map, past white space and comments; -1 when there is none.
int HeaderNumber(const QByteArray& bytes, qsizetype& at) {
    while (at < bytes.size()) {
        const char c = bytes[at];
        if (c == '#') {
            while (at < bytes.size() && bytes[at] != '\n') ++at;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++at;
        } else {
            break;
        }
    }
    qsizetype end = at;
    while (end < bytes.size() && bytes[end] >= '0' && bytes[end] <= '9') ++end;
    if (end == at || end - at > 6) return -1;
    const int value = bytes.mid(at, end - at).toInt();
    at = end;
    return value;
}

std::vector<GrayPage> RenderPdf(const QString& pdf, const QString& folder) {
    const QString renderer = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (renderer.isEmpty())
        throw Failure(FailureKind::NotFound,
                      QStringLiteral("pdftoppm is missing; install poppler-utils to check the pages"));
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(renderer, {QStringLiteral("-r"), QString::number(kLikenessDpi), QStringLiteral("-gray"),
                             pdf, folder + QStringLiteral("/page")});
    if (!process.waitForFinished(kRenderMilliseconds)) {
        process.kill();
        process.waitForFinished();
        throw Failure(FailureKind::Other, QStringLiteral("pdftoppm did not render ") + pdf);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw Failure(FailureKind::Damaged, QStringLiteral("pdftoppm cannot render ") + pdf);
    // page-1.pgm, page-01.pgm, ...: ordered by their number, however padded.
    std::map<int, QString> files;
    static const QRegularExpression numbered(QStringLiteral("^page-(\\d+)\\.pgm$"));
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch()) files.emplace(match.captured(1).toInt(), folder + QLatin1Char('/') + name);
    }
    std::vector<GrayPage> pages;
    for (const auto& [number, path] : files) {
        QFile file(path);
        std::optional<GrayPage> page;
        if (file.open(QIODevice::ReadOnly)) page = OfficePrintedPages::readGrayMap(file.readAll());
        if (!page)
            throw Failure(FailureKind::Damaged, QStringLiteral("pdftoppm wrote no page %1").arg(number));
        pages.push_back(std::move(*page));
        file.remove();
    }
    return pages;
}

}  // namespace

std::optional<GrayPage> OfficePrintedPages::readGrayMap(const QByteArray& bytes) {
    if (!bytes.startsWith("P5")) return std::nullopt;
    qsizetype at = 2;
    GrayPage page;
    page.width = HeaderNumber(bytes, at);
    page.height = HeaderNumber(bytes, at);
    const int maximum = HeaderNumber(bytes, at);
    // One byte a pixel; a single white-space character ends the header.
    if (page.width <= 0 || page.height <= 0 || maximum != 255 || at >= bytes.size()) return std::nullopt;
    ++at;
    const qsizetype size = qsizetype(page.width) * page.height;
    if (bytes.size() - at < size) return std::nullopt;
    page.pixels.assign(bytes.begin() + at, bytes.begin() + at + size);
    return page;
}

std::vector<GrayPage> OfficePrintedPages::pagesOf(const QString& document) {
    std::optional<files::TemporaryFolder> work;
    try {
        work.emplace(QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-split")).toStdString());
    } catch (const std::system_error& error) {
        throw Failure(
            FailureKindOfErrno(error.code().value()),
            QStringLiteral("no private temporary folder: ") + QString::fromLocal8Bit(error.code().message()));
    }
    const QString folder = QFile::decodeName(work->path().c_str());
    if (QFileInfo(document).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return RenderPdf(document, folder);
    const QString pdf = folder + QStringLiteral("/printed.pdf");
    OfficeConversion(office_.documents(), OutputFormat::Pdf).convert(document, pdf);
    std::vector<GrayPage> pages = RenderPdf(pdf, folder);
    QFile::remove(pdf);
    return pages;
}

}  // namespace fk
