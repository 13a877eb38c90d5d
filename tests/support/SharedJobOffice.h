#pragma once

#include "TestOffice.h"
#include "split/JobOffice.h"
#include "split/SplitJob.h"

namespace fk::test {

// A test's office for a split job, never stopped by the job: the suite starts and stops it.
class SharedJobOffice : public JobOffice {
public:
    office::OfficeSession& session() override { return office->session(); }
    void ensureStarted() override { office->session().reach(); }
    void abandon() override {}
    void clearStaleLock(const QString&) override {}
    void clearLocksLeftIn(const QString&) override {}
    static inline TestOffice* office = nullptr;
};

// A job's events, unheard.
class SilentJobEvents : public SplitJobEvents {
public:
    void documentStarted(const QString&) override {}
    void pageStored(const QString&, int, int) override {}
    void failed(const QString&, const SplitFailure&) override {}
    void noted(const QString&, const QString&) override {}
    void documentFinished(const DocumentResult&) override {}
};

}  // namespace fk::test
