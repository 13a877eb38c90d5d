#include "split/PageLikeness.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace fk {

namespace {

// Ink of a page, on a canvas of the given size; paper beyond the page.
std::vector<std::uint8_t> InkMask(const GrayPage& page, int width, int height) {
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * height, 0);
    const std::size_t expected = static_cast<std::size_t>(page.width) * page.height;
    if (page.pixels.size() < expected) return mask;  // a malformed page is read as blank paper
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            if (page.pixels[static_cast<std::size_t>(y) * page.width + x] < kInkThreshold)
                mask[static_cast<std::size_t>(y) * width + x] = 1;
        }
    }
    return mask;
}

// Ink grown by one pixel in all eight directions.
std::vector<std::uint8_t> Dilated(const std::vector<std::uint8_t>& mask, int width, int height) {
    std::vector<std::uint8_t> grown(mask.size(), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!mask[static_cast<std::size_t>(y) * width + x]) continue;
            for (int dy = std::max(0, y - 1); dy <= std::min(height - 1, y + 1); ++dy)
                for (int dx = std::max(0, x - 1); dx <= std::min(width - 1, x + 1); ++dx)
                    grown[static_cast<std::size_t>(dy) * width + dx] = 1;
        }
    }
    return grown;
}

std::size_t InkWithin(const std::vector<std::uint8_t>& ink, const std::vector<std::uint8_t>& near) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < ink.size(); ++i) count += ink[i] & near[i];
    return count;
}

QString PagesText(int pages) {
    return pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages);
}

}  // namespace

double PageLikeness(const GrayPage& a, const GrayPage& b) {
    const int width = std::max(a.width, b.width);
    const int height = std::max(a.height, b.height);
    const std::vector<std::uint8_t> inkA = InkMask(a, width, height);
    const std::vector<std::uint8_t> inkB = InkMask(b, width, height);
    const std::size_t total = static_cast<std::size_t>(std::count(inkA.begin(), inkA.end(), 1)) +
                              static_cast<std::size_t>(std::count(inkB.begin(), inkB.end(), 1));
    if (total == 0) return 1.0;
    const std::size_t matched =
        InkWithin(inkA, Dilated(inkB, width, height)) + InkWithin(inkB, Dilated(inkA, width, height));
    return static_cast<double>(matched) / static_cast<double>(total);
}

PageVerdict JudgePrintedOutput(const std::vector<GrayPage>& input, int firstPage, int lastPage,
                               const std::vector<GrayPage>& printed) {
    PageVerdict verdict;
    verdict.firstPage = firstPage;
    verdict.lastPage = lastPage;
    verdict.printedPages = static_cast<int>(printed.size());
    const int expected = lastPage - firstPage + 1;
    // The pages it should print, side by side with its own; one it does not print scores 0. Pages it
    // prints beyond them are told by their count.
    double least = std::numeric_limits<double>::max();
    int leastPage = firstPage;
    for (int offset = 0; offset < expected; ++offset) {
        const int page = firstPage + offset;
        const bool inInput = page >= 1 && page <= static_cast<int>(input.size());
        const bool inOutput = offset < verdict.printedPages;
        const double likeness = inInput && inOutput ? PageLikeness(input[page - 1], printed[offset]) : 0.0;
        if (likeness < least) {
            least = likeness;
            leastPage = page;
        }
    }
    verdict.similarity = expected > 0 ? least : 0.0;
    const QString likenessText = QString::number(verdict.similarity, 'f', 2);
    if (lastPage > static_cast<int>(input.size())) {
        verdict.problem = QStringLiteral("the input prints no page %1 (it prints %2)")
                              .arg(lastPage)
                              .arg(PagesText(static_cast<int>(input.size())));
    } else if (verdict.printedPages != expected) {
        verdict.problem = QStringLiteral("prints as %1, not %2 (likeness %3)")
                              .arg(PagesText(verdict.printedPages), PagesText(expected), likenessText);
    } else if (verdict.similarity < kFaithfulLikeness) {
        verdict.problem = QStringLiteral("does not look like page %1 of the input (likeness %2, at least %3)")
                              .arg(leastPage)
                              .arg(likenessText, QString::number(kFaithfulLikeness, 'f', 2));
    }
    return verdict;
}

}  // namespace fk
