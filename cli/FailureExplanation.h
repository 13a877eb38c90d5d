#pragma once

#include <QString>

#include "split/SplitEngine.h"

namespace fk::cli {

// What the command line says of a failure: "page N: what failed, and what to do (stage)". Where the
// document or the file system tells the cause (a password, another office's lock, a name too long),
// it is named; `verbose` adds the office's own words.
class FailureExplanation {
public:
    explicit FailureExplanation(bool verbose) : verbose_(verbose) {}

    QString text(const SplitFailure& failure, const QString& documentPath) const;

    // Who holds the document, from its lock file: "NAME on HOST since DATE"; empty when not locked, or
    // locked only by one of our own offices that was stopped.
    static QString lockHolder(const QString& documentPath);
    // Whether the document needs a password (an encrypted package, or a Word file saved with one).
    static bool needsPassword(const QString& documentPath);

private:
    QString cause(const SplitFailure& failure, const QString& documentPath) const;

    bool verbose_;
};

}  // namespace fk::cli
