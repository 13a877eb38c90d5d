#include "split/PageMarking.h"

#include "base/Failure.h"
#include "basic/PageMarks.h"

namespace fk {

namespace {

const QString kInsertBookmark = QStringLiteral(".uno:InsertBookmark");

// A blank page is laid out with the style of the page it makes way for.
void GiveBlankPagesTheFollowingStyle(std::vector<slicer::PlannedPage>& plan) {
    std::string following;
    for (auto planned = plan.rbegin(); planned != plan.rend(); ++planned) {
        if (planned->blank)
            planned->pageStyle = following;
        else
            following = planned->pageStyle;
    }
}

}  // namespace

office::BasicModule PageMarking::module() {
    // Marking runs in the office's own process (basic/PageMarks.bas). markCallByCall, for an office
    // without Basic, keeps no text positions across calls and marks as it goes.
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("PageMarks"),
            QString::fromUtf8(basic::kPageMarks), /*reportsProgress=*/true};
}

std::vector<slicer::PlannedPage> PageMarking::planFromAnswer(const QStringList& answer, int pageCount) {
    if (answer.size() != pageCount) {
        throw Failure::officeRefused(
            QStringLiteral("the office marked %1 pages of %2").arg(answer.size()).arg(pageCount));
    }
    std::vector<slicer::PlannedPage> plan(static_cast<size_t>(pageCount));
    for (int page = 0; page < pageCount; ++page) {
        const QString& entry = answer.at(page);
        slicer::PlannedPage& planned = plan[static_cast<size_t>(page)];
        if (entry.startsWith(QLatin1Char('+')) || entry.startsWith(QLatin1Char('^')) ||
            entry.startsWith(QLatin1Char('~'))) {
            // The style, then each object drawn here though anchored earlier: name, x and y.
            const QStringList fields = entry.mid(1).split(kFieldSeparator);
            planned.pageStyle = fields.first().toStdString();
            const auto refused = [&] {
                return Failure::officeRefused(
                    QStringLiteral("the office's marking answered \"%1\"").arg(entry));
            };
            if ((fields.size() - 1) % 3 != 0) throw refused();
            for (qsizetype field = 1; field < fields.size(); field += 3) {
                bool xRead = false, yRead = false;
                const int x = fields.at(field + 1).toInt(&xRead), y = fields.at(field + 2).toInt(&yRead);
                if (!xRead || !yRead || fields.at(field).isEmpty()) throw refused();
                planned.objectsDrawnHere.push_back({fields.at(field).toStdString(), x, y});
            }
            planned.openingParagraphBegunBefore = entry.startsWith(QLatin1Char('^'));
            planned.approximate = entry.startsWith(QLatin1Char('~'));
            planned.cellsMarked = true;
        } else if (entry == QLatin1String("-"))
            planned.blank = true;
        else
            throw Failure::officeRefused(QStringLiteral("the office's marking answered \"%1\"").arg(entry));
    }
    GiveBlankPagesTheFollowingStyle(plan);
    return plan;
}

std::vector<slicer::PlannedPage> PageMarking::mark(const office::DocumentRef& document, int& pageCount) {
    const QString options = paragraphStarts_ == ParagraphStarts::Identified ? kByIdentifier : QString();
    std::optional<QStringList> answer = documents_.runBasic(module(), kFunction, document, options);
    if (!answer) return markCallByCall(document, pageCount);
    if (*answer == QStringList{kFieldsGivenText}) {
        // Fields a page divides were given their text: the pages are found again in a layout of it,
        // where a text shorter than the field's room may have taken a page less.
        documents_.completeLayout(document);
        pageCount = documents_.countPages(document);
        answer = documents_.runBasic(module(), kFunction, document, options + kFieldsGivenText);
        if (!answer)
            throw Failure::officeRefused(QStringLiteral("the office's marking did not answer again"));
    }
    return planFromAnswer(*answer, pageCount);
}

std::vector<slicer::PlannedPage> PageMarking::markCallByCall(const office::DocumentRef& document,
                                                             int pageCount) {
    std::vector<slicer::PlannedPage> plan(static_cast<size_t>(pageCount));
    for (int page = 1; page <= pageCount; ++page) {
        slicer::PlannedPage& planned = plan[static_cast<size_t>(page - 1)];
        // A page the cursor cannot reach holds no text: a blank page the layout inserted. The cursor's
        // page is asked only at the page's start: right after the jump into a table that a repeated
        // heading row continues, the office still names the page before.
        if (!cursor_.move(document, office::CursorMove::toPage(page)) ||
            !cursor_.move(document, office::CursorMove::toStartOfPage()) ||
            cursor_.currentPage(document) != page) {
            planned.blank = true;
            continue;
        }
        planned.pageStyle = cursor_.pageStyle(document).toStdString();
        // One dispatch inserts the bookmark where the cursor stands: a quarter of the round trips of
        // making, naming and inserting a bookmark object.
        cursor_.dispatch(document, kInsertBookmark,
                         {{QStringLiteral("Bookmark"), QString::fromStdString(slicer::PageMarkName(page))}});
    }
    GiveBlankPagesTheFollowingStyle(plan);
    return plan;
}

}  // namespace fk
