#include "split/HeadingMarking.h"

#include "base/Failure.h"
#include "basic/HeadingMarks.h"

namespace fk {

office::BasicModule HeadingMarking::module() {
    return {QStringLiteral("FolioknifeSplit"), QStringLiteral("HeadingMarks"),
            QString::fromUtf8(basic::kHeadingMarks)};
}

std::vector<std::string> HeadingMarking::headingsFromAnswer(const QStringList& answer) {
    bool isNumber = false;
    const qsizetype count = answer.isEmpty() ? -1 : answer.first().toLongLong(&isNumber);
    if (!isNumber || count < 0 || count != answer.size() - 1) {
        throw Failure::officeRefused(QStringLiteral("the office's heading marking answered %1 entries for %2")
                                         .arg(answer.size())
                                         .arg(answer.isEmpty() ? QString() : answer.first()));
    }
    std::vector<std::string> headings;
    headings.reserve(static_cast<size_t>(count));
    for (qsizetype k = 1; k < answer.size(); ++k) headings.push_back(answer.at(k).simplified().toStdString());
    return headings;
}

std::vector<std::string> HeadingMarking::mark(const office::DocumentRef& document, int deepestLevel) {
    const std::optional<QStringList> answer =
        documents_.runBasic(module(), kFunction, document, QString::number(deepestLevel));
    if (!answer)
        throw Failure(FailureKind::OfficeRefused,
                      QStringLiteral("the office runs no Basic, which finding the headings needs"));
    return headingsFromAnswer(*answer);
}

}  // namespace fk
