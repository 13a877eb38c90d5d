#pragma once

#include <QString>
#include <string>

#include <gtest/gtest.h>

namespace fk::test {

// The folder of public real documents some end-to-end tests read where they lie: FOLIOKNIFE_CORPUS,
// else the one the build was configured with, ../shared/corpus beside the repository.
QString CorpusFolder();

// Why the corpus cannot be read, in one line; empty when it can.
std::string CorpusAbsence();

// Whether a missing corpus fails a test rather than skipping it: where CI is set, it must be there.
bool CorpusRequired();

}  // namespace fk::test

// Ends the calling test when the corpus is absent: skipped with a one-line note, or failed where CI
// is set. A macro, for only the test body itself can end the test.
#define FK_SKIP_WITHOUT_CORPUS()                                                                         \
    do {                                                                                                 \
        if (const std::string fkCorpusAbsence = ::fk::test::CorpusAbsence(); !fkCorpusAbsence.empty()) { \
            if (::fk::test::CorpusRequired()) FAIL() << fkCorpusAbsence << " (CI is set)";               \
            GTEST_SKIP() << fkCorpusAbsence;                                                             \
        }                                                                                                \
    } while (false)
