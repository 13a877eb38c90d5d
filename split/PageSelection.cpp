#include "split/PageSelection.h"

#include <QStringList>
#include <algorithm>
#include <set>

namespace fk {

namespace {

// Beyond any document's page count, and far from int's end.
constexpr int kMaxPage = 1000000;

std::optional<int> pageNumber(const QString& text) {
    bool ok = false;
    const int page = text.trimmed().toInt(&ok);
    if (!ok || page < 1 || page > kMaxPage || text.trimmed().startsWith(QLatin1Char('+')))
        return std::nullopt;
    return page;
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

std::optional<PageSelection> PageSelection::parse(const QString& text, QString& error) {
    std::vector<Range> ranges;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QStringList ends = item.split(QLatin1Char('-'));
        std::optional<int> first = pageNumber(ends[0]);
        std::optional<int> last = first;
        if (ends.size() == 2) last = ends[1].trimmed().isEmpty() ? 0 : pageNumber(ends[1]);
        if (ends.size() > 2 || !first || !last || (*last != 0 && *last < *first)) {
            error = QStringLiteral(
                        "'%1' is not a list of pages: give pages and ranges such as 1-3,7,10- (pages count "
                        "from 1; 10- is page 10 to the end).")
                        .arg(text);
            return std::nullopt;
        }
        ranges.push_back({*first, *last});
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
        const int last = range.last == 0 ? pageCount : std::min(range.last, pageCount);
        for (int page = range.first; page <= last; ++page) pages.insert(page);
    }
    for (const int page : pages) result.push_back({page, page, page});
    return result;
}

bool PageSelection::namesPagesBeyond(int pageCount) const {
    return std::any_of(ranges_.begin(), ranges_.end(),
                       [pageCount](const Range& range) { return range.last > pageCount; });
}

}  // namespace fk
