#pragma once

#include <QList>
#include <QString>
#include <vector>

#include "split/PageLikeness.h"
#include "split/PageSelection.h"

namespace fk {

// A document's printed pages, as a reader's printer would put them on paper.
class PrintedPageSource {
public:
    virtual ~PrintedPageSource() = default;
    // Every printed page of the document, in order, at kLikenessDpi. Throws fk::Failure when the
    // document cannot be printed.
    virtual std::vector<GrayPage> pagesOf(const QString& document) = 0;
};

// An output a split wrote: its number and path.
struct StoredOutput {
    int number = 0;
    QString path;
};

struct VerificationOutcome {
    int inputPages = 0;           // the pages the input prints
    QList<PageVerdict> verdicts;  // one per output, in the order given
};

// Prints the input and each output and judges every output against the input's pages it should
// show (the plan's pages under its number, or the page of its number where the plan has none).
class OutputVerification {
public:
    explicit OutputVerification(PrintedPageSource& printer) : printer_(printer) {}

    // Throws fk::Failure when the input cannot be printed; an output that cannot be is judged unfaithful.
    VerificationOutcome verify(const QString& input, const QList<StoredOutput>& outputs,
                               const std::vector<PageSelection::Output>& plan) const;

private:
    PrintedPageSource& printer_;
};

}  // namespace fk
