#pragma once

#include <QFile>
#include <QHash>
#include <QStringList>
#include <atomic>

#include "base/Failure.h"
#include "split/OutputVerification.h"

namespace fk::test {

// A 64 x 64 page of paper with a block of ink in one of its sixteen 16-pixel cells (0 to 15, row by
// row); -1 for a blank page. Pages with ink in different cells have no ink in common.
inline GrayPage PageWithInkAt(int cell, int shiftX = 0) {
    GrayPage page{64, 64, std::vector<std::uint8_t>(64 * 64, 255)};
    if (cell < 0) return page;
    const int left = (cell % 4) * 16 + shiftX, top = (cell / 4) * 16;
    for (int y = top + 2; y < top + 14; ++y)
        for (int x = std::max(0, left + 2); x < std::min(64, left + 14); ++x) page.pixels[y * 64 + x] = 0;
    return page;
}

// Prints a document as the test says: an input by its path; an output of FakeSplitEngine by what it
// holds, each line ("<document>#<page>") a printed page of that document.
class FakePrintedPages : public PrintedPageSource {
public:
    std::vector<GrayPage> pagesOf(const QString& document) override {
        ++calls;
        if (printed.contains(document)) return printed.value(document);
        QFile file(document);
        if (!file.open(QIODevice::ReadOnly)) throw Failure(FailureKind::NotFound, "cannot print " + document);
        std::vector<GrayPage> pages;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            const qsizetype hash = line.lastIndexOf('#');
            const std::vector<GrayPage> whole = printed.value(line.left(hash));
            const int page = line.mid(hash + 1).toInt();
            pages.push_back(page >= 1 && page <= int(whole.size()) ? whole[page - 1] : PageWithInkAt(-1));
        }
        return pages;
    }

    QHash<QString, std::vector<GrayPage>> printed;  // document path -> its printed pages
    std::atomic<int> calls = 0;
};

}  // namespace fk::test
