#pragma once

#include <QList>
#include <QStringList>
#include <functional>

#include "split/SplitEngine.h"

namespace fk::test {

// Keeps what a split tells, in the order told: the numbers and paths of the outputs stored, and the
// failures. It answers the stop request as `stopping` says.
class RecordingSplitObserver : public SplitObserver {
public:
    void pageStored(int number, const QString& path) override {
        numbers << number;
        paths << path;
    }
    void failed(const SplitFailure& failure) override { failures << failure; }
    bool stopRequested() const override { return stopping && stopping(); }

    std::function<bool()> stopping;  // the run's stop request; none when empty

    QList<int> numbers;
    QStringList paths;
    QList<SplitFailure> failures;
};

}  // namespace fk::test
