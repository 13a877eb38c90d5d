#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/Failure.h"
#include "split/OutputProbe.h"

using namespace fk;

namespace {

void write(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

timespec modified(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mtim;
}

// Sets the file's time as a coarse or skewed file system would report it.
void setModified(const QString& path, timespec when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

timespec secondsAgo(int seconds) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return {now.tv_sec - seconds, 0};
}

class OutputProbeTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString page = dir.filePath("Report_0001.odt");
};

}  // namespace

TEST_F(OutputProbeTest, NewOrReplacedPageIsStoredWhateverTheFileSystemClockSays) {
    const OutputProbe fresh(page);
    write(page, "page one");
    setModified(page, secondsAgo(2));
    EXPECT_NO_THROW(fresh.verifyWritten());

    // The office's save puts a new file in place of the old one.
    const timespec stamp = modified(page);
    const OutputProbe replaced(page);
    write(dir.filePath("saving.tmp"), "page one");  // same bytes, same time: only the file is new
    setModified(dir.filePath("saving.tmp"), stamp);
    ASSERT_TRUE(QFile::remove(page));
    ASSERT_TRUE(QFile::rename(dir.filePath("saving.tmp"), page));
    EXPECT_NO_THROW(replaced.verifyWritten());
}

TEST_F(OutputProbeTest, RewriteInPlaceWithinOneTimeStepIsSeenByItsBytes) {
    write(page, "old page");
    const timespec stamp = modified(page);
    const OutputProbe probe(page);
    write(page, "new page");  // same size, same file
    setModified(page, stamp);
    EXPECT_NO_THROW(probe.verifyWritten());
}

TEST_F(OutputProbeTest, RewriteInPlaceBeyondTheHeadIsSeenByTheTail) {
    QByteArray content(20000, 'a');
    write(page, content);
    const timespec stamp = modified(page);
    const OutputProbe probe(page);
    content[19990] = 'b';
    write(page, content);
    setModified(page, stamp);
    EXPECT_NO_THROW(probe.verifyWritten());
}

TEST_F(OutputProbeTest, UntouchedOrMissingPageIsNotStored) {
    const OutputProbe missing(page);
    EXPECT_THROW(missing.verifyWritten(), Failure);

    write(page, "earlier run");
    const OutputProbe untouched(page);
    try {
        untouched.verifyWritten();
        ADD_FAILURE() << "an untouched page counted as stored";
    } catch (const Failure& error) {
        EXPECT_EQ(error.kind(), FailureKind::FileAccess);
        EXPECT_EQ(error.message(), "The page document was not stored: " + page);
    }
}
