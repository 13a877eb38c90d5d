#include "DocumentWords.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "QtPrinters.h"

namespace fk::test {
namespace {

TEST(DocumentWordsTest, WordsAreCountedInLowerCaseBetweenAnythingButLettersDigitsAndUnderscores) {
    const struct {
        QString text;
        WordCounts counts;
    } cases[] = {
        {"", {}},
        {"  \t\n", {}},
        {"Page page PAGE", {{"page", 3}}},
        {"one,two;three--one", {{"one", 2}, {"two", 1}, {"three", 1}}},
        {"Chapter 3.1", {{"chapter", 1}, {"3", 1}, {"1", 1}}},
        {"snake_case", {{"snake_case", 1}}},
    };
    for (const auto& c : cases) {
        WordCounts counts;
        CountWords(c.text, counts);
        EXPECT_EQ(counts, c.counts) << c.text.toStdString();
    }
}

TEST(DocumentWordsTest, CountsAddUpAcrossDocuments) {
    WordCounts total{{"a", 1}};
    AddWords(total, {{"a", 2}, {"b", 1}});
    AddWords(total, {});
    EXPECT_EQ(total, (WordCounts{{"a", 3}, {"b", 1}}));
}

TEST(DocumentWordsTest, AFileThatIsNoPackageHasNoContent) {
    QTemporaryDir folder;
    QFile plain(folder.filePath(QStringLiteral("plain.odt")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("not a package");
    plain.close();
    EXPECT_TRUE(ContentXml(plain.fileName()).isEmpty());
    EXPECT_TRUE(ContentXml(folder.filePath(QStringLiteral("missing.odt"))).isEmpty());
}

}  // namespace
}  // namespace fk::test
