#include <gtest/gtest.h>

#include <QSet>

#include "QtPrinters.h"
#include "cli/Shard.h"

using namespace fk::cli;

namespace {

QStringList samplePaths() {
    QStringList paths;
    for (int i = 0; i < 300; ++i)
        paths << QStringLiteral("/srv/incoming/%1/Bericht Nr. %2 – Grüße.odt").arg(i % 17).arg(i);
    return paths;
}

TEST(Shard, EveryDocumentInExactlyOneShardForAnyNumberOfShards) {
    const QStringList paths = samplePaths();
    for (int count = 1; count <= 7; ++count) {
        QStringList all;
        for (int index = 0; index < count; ++index) {
            QStringList mine;
            for (const QString& path : paths)
                if (ShardOf(path, count) == index) mine << path;
            EXPECT_FALSE(mine.isEmpty())
                << index << "/" << count << ": a shard of 300 documents is never empty";
            all << mine;
        }
        EXPECT_EQ(all.size(), paths.size()) << count;
        EXPECT_EQ(QSet<QString>(all.begin(), all.end()), QSet<QString>(paths.begin(), paths.end())) << count;
    }
}

TEST(Shard, TheSameOnEveryHostAndRun) {
    // Fixed values: a change of hash would make hosts of different versions split documents twice.
    EXPECT_EQ(StableHash(""), 14695981039346656037ULL);
    EXPECT_EQ(StableHash("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(ShardOf("/srv/incoming/report.odt", 4), static_cast<int>(StableHash("report") % 4));
    EXPECT_EQ(ShardOf("/srv/incoming/report.odt", 7), static_cast<int>(StableHash("report") % 7));
    EXPECT_EQ(ShardOf(QStringLiteral("/srv/Grüße.odt"), 5),
              static_cast<int>(StableHash(QStringLiteral("Grüße").toUtf8()) % 5));
}

TEST(Shard, DocumentsThatMakeTheSameOutputNamesShareAShard) {
    // So that shards writing to one folder keep the order of a single run, and hosts may mount the
    // inputs anywhere.
    for (int count = 2; count <= 9; ++count) {
        EXPECT_EQ(ShardOf("/a/report.odt", count), ShardOf("/b/c/report.sxw", count)) << count;
        EXPECT_EQ(ShardOf("/mnt/in/letter.odt", count), ShardOf("/srv/in/letter.odt", count)) << count;
    }
}

TEST(Shard, PartsCountFromOneToNAndEachHoldsItsDocuments) {
    QString error;
    const std::optional<Shard> shard = ParseShard("2/4", error);
    ASSERT_TRUE(shard.has_value());
    EXPECT_EQ(shard->part, 2);
    EXPECT_EQ(shard->count, 4);
    EXPECT_TRUE(ParseShard("1/1", error).has_value());
    EXPECT_TRUE(ParseShard("4/4", error).has_value());
    for (const char* text : {"0/4", "5/4", "-1/4", "1/0", "1", "a/b", "1/4/2", " 1/4", "1/10000000"}) {
        EXPECT_FALSE(ParseShard(text, error).has_value()) << text;
        EXPECT_TRUE(error.startsWith("--shard takes K/N")) << text;
    }
    for (const QString& path : samplePaths()) {
        int holders = 0;
        for (int part = 1; part <= 4; ++part) holders += Shard{part, 4}.holds(path) ? 1 : 0;
        EXPECT_EQ(holders, 1) << path.toStdString();
    }
    EXPECT_TRUE((Shard{ShardOf("/in/report.odt", 3) + 1, 3}.holds("/in/report.odt")));
}

}  // namespace
