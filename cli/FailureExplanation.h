#pragma once

#include <QString>

#include "split/SplitEngine.h"

namespace fk::cli {

// What the command line says of a failure: "page N: what failed, and what to do (stage)", in its own
// words for each kind of failure (a password, another office's lock, a name too long, an office that
// went away); `verbose` adds the office's own words, and then the hint that it would is left out.
class FailureExplanation {
public:
    explicit FailureExplanation(bool verbose) : verbose_(verbose) {}

    QString text(const SplitFailure& failure) const;

private:
    QString cause(const SplitFailure& failure) const;

    bool verbose_;
};

}  // namespace fk::cli
