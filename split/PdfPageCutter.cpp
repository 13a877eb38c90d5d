#include "split/PdfPageCutter.h"

#include <QFile>
#include <map>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <set>
#include <vector>

#include "base/Failure.h"

namespace fk {

namespace {

// What the catalog says of the whole document that each part keeps: XMP metadata (which a PDF/A must
// have and which holds dc:title), the colour space a PDF/A is printed in, the language, and whether
// a viewer shows the title rather than the file name.
constexpr const char* kDocumentWideKeys[] = {"/Metadata", "/OutputIntents", "/Lang", "/ViewerPreferences"};

Failure damaged(const QString& what) {
    return Failure(FailureKind::Damaged, QStringLiteral("the office's PDF cannot be cut: ") + what);
}

// Where an internal link leads: its destination, or its go-to action's; null for other links.
QPDFObjectHandle destinationOf(QPDFObjectHandle annotation) {
    if (!annotation.isDictionary() || !annotation.getKey("/Subtype").isNameAndEquals("/Link"))
        return QPDFObjectHandle::newNull();
    QPDFObjectHandle destination = annotation.getKey("/Dest");
    QPDFObjectHandle action = annotation.getKey("/A");
    if (destination.isNull() && action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo"))
        destination = action.getKey("/D");
    return destination;
}

// The library copies a page's links before the pages after it are copied, and makes a link to such a
// page lead nowhere; here they lead to the part's copy again.
void relinkPagesWithin(const std::vector<QPDFPageObjectHelper>& sourcePages,
                       const std::vector<QPDFPageObjectHelper>& partPages) {
    std::map<QPDFObjGen, QPDFObjectHandle> partPageOf;
    for (size_t index = 0; index < sourcePages.size(); ++index)
        partPageOf[sourcePages[index].getObjectHandle().getObjGen()] = partPages[index].getObjectHandle();
    for (size_t index = 0; index < sourcePages.size(); ++index) {
        QPDFObjectHandle sourcePage = sourcePages[index].getObjectHandle();
        QPDFObjectHandle partPage = partPages[index].getObjectHandle();
        QPDFObjectHandle sourceLinks = sourcePage.getKey("/Annots");
        QPDFObjectHandle partLinks = partPage.getKey("/Annots");
        if (!sourceLinks.isArray() || !partLinks.isArray() ||
            sourceLinks.getArrayNItems() != partLinks.getArrayNItems())
            continue;
        for (int link = 0; link < sourceLinks.getArrayNItems(); ++link) {
            QPDFObjectHandle from = destinationOf(sourceLinks.getArrayItem(link));
            QPDFObjectHandle to = destinationOf(partLinks.getArrayItem(link));
            if (!from.isArray() || !to.isArray() || from.getArrayNItems() == 0 || to.getArrayNItems() == 0)
                continue;
            const auto page = partPageOf.find(from.getArrayItem(0).getObjGen());
            if (page != partPageOf.end()) to.setArrayItem(0, page->second);
        }
    }
}

// Whether a link leads to a page the part does not hold (or to a named destination, whose names the
// part does not keep).
bool leadsOutside(QPDFObjectHandle annotation, const std::set<QPDFObjGen>& kept) {
    QPDFObjectHandle destination = destinationOf(annotation);
    if (destination.isNull()) return false;  // not a link within the document
    if (!destination.isArray() || destination.getArrayNItems() == 0) return true;
    QPDFObjectHandle page = destination.getArrayItem(0);
    return !page.isIndirect() || !kept.contains(page.getObjGen());
}

void dropLinksLeadingOutside(const std::vector<QPDFPageObjectHelper>& pages) {
    std::set<QPDFObjGen> kept;
    for (const QPDFPageObjectHelper& page : pages) kept.insert(page.getObjectHandle().getObjGen());
    for (QPDFPageObjectHelper page : pages) {
        QPDFObjectHandle object = page.getObjectHandle();
        QPDFObjectHandle annotations = object.getKey("/Annots");
        if (!annotations.isArray()) continue;
        std::vector<QPDFObjectHandle> staying;
        for (QPDFObjectHandle& annotation : annotations.getArrayAsVector()) {
            if (!leadsOutside(annotation, kept)) staying.push_back(annotation);
        }
        if (staying.size() == static_cast<size_t>(annotations.getArrayNItems())) continue;
        if (staying.empty())
            object.removeKey("/Annots");
        else
            object.replaceKey("/Annots", QPDFObjectHandle::newArray(staying));
    }
}

}  // namespace

struct PdfPageCutter::Source {
    std::shared_ptr<const QByteArray> bytes;  // read from memory: no system call for each object
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
};

std::shared_ptr<const QByteArray> PdfPageCutter::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(FailureKind::FileAccess,
                      QStringLiteral("the office's PDF cannot be read: ") + file.errorString());
    auto bytes = std::make_shared<QByteArray>(file.readAll());
    if (file.error() != QFileDevice::NoError)
        throw Failure(FailureKind::FileAccess,
                      QStringLiteral("the office's PDF cannot be read: ") + file.errorString());
    return bytes;
}

PdfPageCutter::PdfPageCutter(std::shared_ptr<const QByteArray> bytes) : source_(std::make_unique<Source>()) {
    source_->bytes = std::move(bytes);
    QPDF& pdf = source_->pdf;
    try {
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("the office's PDF", source_->bytes->constData(),
                              static_cast<size_t>(source_->bytes->size()));
        source_->pages = QPDFPageDocumentHelper(pdf).getAllPages();
        // Copied into each part below, which takes indirect objects only; made so once, before any
        // copying, as the library asks.
        QPDFObjectHandle root = pdf.getRoot();
        for (const char* key : kDocumentWideKeys) {
            QPDFObjectHandle value = root.getKey(key);
            if (!value.isNull() && !value.isIndirect()) root.replaceKey(key, pdf.makeIndirectObject(value));
        }
        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle info = trailer.getKey("/Info");
        if (info.isDictionary() && !info.isIndirect())
            trailer.replaceKey("/Info", pdf.makeIndirectObject(info));
    } catch (const std::exception& error) {
        throw damaged(QString::fromLocal8Bit(error.what()));
    }
}

PdfPageCutter::~PdfPageCutter() = default;

int PdfPageCutter::pageCount() const {
    return static_cast<int>(source_->pages.size());
}

QByteArray PdfPageCutter::cut(int first, int last) {
    if (first < 1 || last < first || last > pageCount())
        throw Failure(FailureKind::InvalidArgument,
                      QStringLiteral("pages %1 to %2 of a PDF of %3").arg(first).arg(last).arg(pageCount()));
    try {
        QPDF part;
        part.emptyPDF();
        QPDFPageDocumentHelper partPages(part);
        const std::vector<QPDFPageObjectHelper> sourcePages(source_->pages.begin() + (first - 1),
                                                            source_->pages.begin() + last);
        for (const QPDFPageObjectHelper& page : sourcePages) partPages.addPage(page, false);
        const std::vector<QPDFPageObjectHelper> copied = partPages.getAllPages();
        relinkPagesWithin(sourcePages, copied);
        dropLinksLeadingOutside(copied);

        QPDFObjectHandle partRoot = part.getRoot();
        QPDFObjectHandle sourceRoot = source_->pdf.getRoot();
        for (const char* key : kDocumentWideKeys) {
            QPDFObjectHandle value = sourceRoot.getKey(key);
            if (!value.isNull()) partRoot.replaceKey(key, part.copyForeignObject(value));
        }
        QPDFObjectHandle info = source_->pdf.getTrailer().getKey("/Info");
        if (info.isDictionary()) part.getTrailer().replaceKey("/Info", part.copyForeignObject(info));

        QPDFWriter writer(part);
        writer.setOutputMemory();
        // The streams pass as the office wrote them: nothing is decoded and compressed again.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.setMinimumPDFVersion(source_->pdf.getPDFVersion(), source_->pdf.getExtensionLevel());
        writer.write();
        const std::shared_ptr<Buffer> bytes = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(bytes->getBuffer()),
                          static_cast<qsizetype>(bytes->getSize()));
    } catch (const std::exception& error) {
        throw damaged(QString::fromLocal8Bit(error.what()));
    }
}

}  // namespace fk
