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

// A value of the source's catalog or trailer as the part's own. The library copies indirect objects
// only; a direct value is rebuilt around copies of what it refers to. Making it indirect in the source
// instead would have the library resolve every object of the source first, which for a tagged PDF of
// a few hundred pages is hundreds of megabytes of structure no part keeps.
QPDFObjectHandle copyToPart(QPDF& part, QPDFObjectHandle value) {
    if (value.isIndirect()) return part.copyForeignObject(value);
    if (value.isArray()) {
        std::vector<QPDFObjectHandle> items;
        for (QPDFObjectHandle& item : value.getArrayAsVector()) items.push_back(copyToPart(part, item));
        return QPDFObjectHandle::newArray(items);
    }
    if (value.isDictionary()) {
        QPDFObjectHandle copy = QPDFObjectHandle::newDictionary();
        for (auto& [key, item] : value.getDictAsMap()) copy.replaceKey(key, copyToPart(part, item));
        return copy;
    }
    return value.shallowCopy();  // a number, name, string, boolean or null
}

// A page's attributes that it may take from the page tree above it, which a part's own tree lacks.
constexpr const char* kInheritedKeys[] = {"/Resources", "/MediaBox", "/CropBox", "/Rotate"};

// Copies a page into the part with what it inherits. The library's own way to add a foreign page first
// moves the inherited attributes of every page of the source onto the page, at the cost noted above.
QPDFObjectHandle copyPage(QPDF& part, QPDFObjectHandle page) {
    QPDFObjectHandle copy = part.copyForeignObject(page);  // the library leaves out /Parent
    for (const char* key : kInheritedKeys) {
        if (page.hasKey(key)) continue;
        std::set<QPDFObjGen> seen;  // a damaged tree may lead in a circle
        for (QPDFObjectHandle node = page.getKey("/Parent");
             node.isDictionary() && seen.insert(node.getObjGen()).second; node = node.getKey("/Parent")) {
            if (node.hasKey(key)) {
                copy.replaceKey(key, copyToPart(part, node.getKey(key)));
                break;
            }
        }
    }
    return copy;
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
        for (const QPDFPageObjectHelper& page : sourcePages)
            partPages.addPage(QPDFPageObjectHelper(copyPage(part, page.getObjectHandle())), false);
        const std::vector<QPDFPageObjectHelper> copied = partPages.getAllPages();
        relinkPagesWithin(sourcePages, copied);
        dropLinksLeadingOutside(copied);

        QPDFObjectHandle partRoot = part.getRoot();
        QPDFObjectHandle sourceRoot = source_->pdf.getRoot();
        for (const char* key : kDocumentWideKeys) {
            QPDFObjectHandle value = sourceRoot.getKey(key);
            if (!value.isNull()) partRoot.replaceKey(key, copyToPart(part, value));
        }
        QPDFObjectHandle info = source_->pdf.getTrailer().getKey("/Info");
        if (info.isDictionary()) {
            QPDFObjectHandle copy = copyToPart(part, info);
            part.getTrailer().replaceKey("/Info", copy.isIndirect() ? copy : part.makeIndirectObject(copy));
        }

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
