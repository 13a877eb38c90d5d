#include "split/PageSelection.h"

#include <QStringList>
#include <algorithm>
#include <set>

namespace fk {

namespace {

// Beyond any document's page count, and far from int's end.
constexpr int kMaxPage = 1000000;

struct PageEnd {
    int number = 0;
    bool fromEnd = false;
};

// "7", or counted from the end: "z" (the last page) and "rN".
std::optional<PageEnd> pageEnd(const QString& text) {
    QString digits = text.trimmed();
    if (digits == QLatin1String("z")) return PageEnd{1, true};
    const bool fromEnd = digits.startsWith(QLatin1Char('r'));
    if (fromEnd) digits.remove(0, 1);
    // Digits only: toInt() would take "+2" and " 2".
    if (digits.isEmpty() || !std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const int page = digits.toInt(&ok);
    if (!ok || page < 1 || page > kMaxPage) return std::nullopt;
    return PageEnd{page, fromEnd};
}

// The page an end names in a document of `pageCount` pages; below 1 where it names none.
int Resolve(int number, bool fromEnd, int pageCount) {
    return fromEnd ? pageCount - number + 1 : number;
}

}  // namespace

PageSelection PageSelection::ranges(std::vector<Range> ranges) {
    PageSelection selection;
    selection.ranges_ = std::move(ranges);
    return selection;
}

PageSelection PageSelection::every(int pagesPerDocument) {
    PageSelection selection;
    selection.pagesPerDocument_ = std::max(1, pagesPerDocument);
    return selection;
}

std::optional<PageSelection> PageSelection::parseEvery(const QString& text) {
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    if (!ok || size < 1 || size > kMaxPagesPerDocument) return std::nullopt;
    return every(size);
}

std::optional<PageSelection> PageSelection::parse(const QString& text, QString& error) {
    std::vector<Range> ranges;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QStringList ends = item.split(QLatin1Char('-'));
        const std::optional<PageEnd> first = pageEnd(ends[0]);
        std::optional<PageEnd> last = first;
        if (ends.size() == 2) last = ends[1].trimmed().isEmpty() ? PageEnd{} : pageEnd(ends[1]);
        if (ends.size() > 2 || !first || !last) {
            error = QStringLiteral(
                        "'%1' is not a list of pages: give pages and ranges such as 1-3,7,10- (pages count "
                        "from 1; 10- is page 10 to the end; z is the last page, r2 the one before it).")
                        .arg(text);
            return std::nullopt;
        }
        // Only ends counted alike can be told backwards before the page count is known.
        const bool backwards = last->number != 0 && first->fromEnd == last->fromEnd &&
                               (first->fromEnd ? last->number > first->number : last->number < first->number);
        if (backwards) {
            error = QStringLiteral("'%1' runs backwards: give its first page first.").arg(item.trimmed());
            return std::nullopt;
        }
        ranges.push_back({first->number, last->number, first->fromEnd, last->fromEnd});
    }
    return PageSelection::ranges(std::move(ranges));
}

std::vector<PageSelection::Output> PageSelection::outputs(int pageCount) const {
    std::vector<Output> result;
    if (ranges_.empty()) {
        for (int first = 1, number = 1; first <= pageCount; first += pagesPerDocument_, ++number)
            result.push_back({first, std::min(pageCount, first + pagesPerDocument_ - 1), number});
        return result;
    }
    std::set<int> pages;
    for (const Range& range : ranges_) {
        const int first = std::max(1, Resolve(range.first, range.firstFromEnd, pageCount));
        const int last = range.last == 0
                             ? pageCount
                             : std::min(Resolve(range.last, range.lastFromEnd, pageCount), pageCount);
        for (int page = first; page <= last; ++page) pages.insert(page);
    }
    for (const int page : pages) result.push_back({page, page, page});
    return result;
}

bool PageSelection::namesPagesBeyond(int pageCount) const {
    // Counted from the end, a page beyond is one before the first: "r7" of five pages.
    return std::any_of(ranges_.begin(), ranges_.end(),
                       [pageCount](const Range& range) { return range.last > pageCount; });
}

}  // namespace fk
