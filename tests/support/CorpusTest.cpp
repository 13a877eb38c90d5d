#include "Corpus.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

namespace fk::test {
namespace {

// Sets (or, with nullopt, unsets) an environment variable for one scope, and puts it back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<QByteArray>& value)
        : name_(name), old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        set(value);
    }
    ~ScopedVariable() { set(old_); }

private:
    void set(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }
    const char* name_;
    std::optional<QByteArray> old_;
};

// A test body that needs the corpus; tells whether it went on past the check.
void NeedsCorpus(bool& wentOn) {
    FK_SKIP_WITHOUT_CORPUS();
    wentOn = true;
}

TEST(CorpusTest, AMissingCorpusSkipsTheTestWithANoteOrFailsItWhereCiIsSet) {
    QTemporaryDir present;
    const QString missing = present.filePath(QStringLiteral("missing"));
    const QString file = present.filePath(QStringLiteral("file"));
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    const struct {
        QString folder;
        std::optional<QByteArray> ci;
        bool wentOn;
        std::optional<testing::TestPartResult::Type> result;
    } cases[] = {
        {present.path(), std::nullopt, true, std::nullopt},
        {present.path(), "1", true, std::nullopt},
        {file, std::nullopt, false, testing::TestPartResult::kSkip},
        {missing, std::nullopt, false, testing::TestPartResult::kSkip},
        {missing, "", false, testing::TestPartResult::kFatalFailure},
        {missing, "true", false, testing::TestPartResult::kFatalFailure},
    };
    for (const auto& c : cases) {
        const std::string trace = c.folder.toStdString() + " CI=" + (c.ci ? c.ci->toStdString() : "(unset)");
        SCOPED_TRACE(trace);
        const ScopedVariable corpus("FOLIOKNIFE_CORPUS", c.folder.toUtf8());
        const ScopedVariable ci("CI", c.ci);
        EXPECT_EQ(CorpusFolder(), c.folder);

        testing::TestPartResultArray results;
        bool wentOn = false;
        {
            const testing::ScopedFakeTestPartResultReporter reporter(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            NeedsCorpus(wentOn);
        }
        EXPECT_EQ(wentOn, c.wentOn);
        ASSERT_EQ(results.size(), c.result ? 1 : 0);
        if (!c.result) continue;
        EXPECT_EQ(results.GetTestPartResult(0).type(), *c.result);
        const std::string note = CorpusAbsence();
        EXPECT_NE(note.find(c.folder.toStdString()), std::string::npos) << note;
        EXPECT_EQ(note.find('\n'), std::string::npos) << "one line: " << note;
        EXPECT_NE(std::string(results.GetTestPartResult(0).message()).find(note), std::string::npos);
    }
}

TEST(CorpusTest, WithoutTheVariableTheCorpusLiesBesideTheRepository) {
    const ScopedVariable corpus("FOLIOKNIFE_CORPUS", std::nullopt);
    EXPECT_EQ(CorpusFolder(), QDir::cleanPath(QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/../shared/corpus")));
}

}  // namespace
}  // namespace fk::test
