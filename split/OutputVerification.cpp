#include "split/OutputVerification.h"

#include <algorithm>

#include "base/Failure.h"

namespace fk {

VerificationOutcome OutputVerification::verify(const QString& input, const QList<StoredOutput>& outputs,
                                               const std::vector<PageSelection::Output>& plan) const {
    VerificationOutcome outcome;
    const std::vector<GrayPage> inputPages = printer_.pagesOf(input);
    outcome.inputPages = static_cast<int>(inputPages.size());
    for (const StoredOutput& output : outputs) {
        const auto planned = std::find_if(plan.begin(), plan.end(), [&](const PageSelection::Output& entry) {
            return entry.number == output.number;
        });
        const int first = planned != plan.end() ? planned->first : output.number;
        const int last = planned != plan.end() ? planned->last : output.number;
        PageVerdict verdict;
        try {
            verdict = JudgePrintedOutput(inputPages, first, last, printer_.pagesOf(output.path));
        } catch (const Failure& failure) {
            verdict.firstPage = first;
            verdict.lastPage = last;
            verdict.problem = QStringLiteral("cannot be printed to be checked: ") + failure.message();
        }
        verdict.number = output.number;
        verdict.output = output.path;
        outcome.verdicts.append(verdict);
    }
    return outcome;
}

}  // namespace fk
