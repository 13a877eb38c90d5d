#include <gtest/gtest.h>

#include "doclist/DocumentListModel.h"
#include "gather/PathList.h"

using namespace fk;

TEST(NormalizePath, WindowsExamples) {
    const QChar bs = QLatin1Char('\\');
    const QList<QPair<QString, QString>> cases{
        {R"(C:\\Docs\a.odt)", R"(C:\Docs\a.odt)"},
        {R"(C:\\\Docs)", R"(C:\\Docs)"},
        {R"(\\server\share\\a.odt)", R"(\\server\share\a.odt)"},
        {R"(\\\\server\x)", R"(\\server\x)"},
        {R"(\Docs\a.odt)", R"(\\Docs\a.odt)"},
        {R"(\\)", R"(\\)"},
        {"", ""},
        {R"(c:\\MiXeD\\Case)", R"(c:\MiXeD\Case)"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(NormalizePath(input, bs), expected) << input.toStdString();
}

TEST(NormalizePath, PosixLeadingRunBecomesTheRoot) {
    EXPECT_EQ(NormalizePath("//home//ann/a.odt"), "/home/ann/a.odt");
    EXPECT_EQ(NormalizePath("////srv/x"), "/srv/x");
    EXPECT_EQ(NormalizePath("/"), "/");
    EXPECT_EQ(NormalizePath("//"), "/");
    EXPECT_EQ(NormalizePath("/data///a.odt"), "/data//a.odt");  // one pass over pairs
    EXPECT_EQ(NormalizePath("/data////a.odt"), "/data//a.odt");
    EXPECT_EQ(NormalizePath("relative//x.odt"), "relative/x.odt");
    EXPECT_EQ(NormalizePath("/Ünï//çødé.odt"), "/Ünï/çødé.odt");
}

TEST(IsInList, ComparesExactly) {
    DocumentListModel list;
    EXPECT_FALSE(IsInList(list, "/a.odt"));
    list.AppendDocument("/C/a.odt");
    list.AppendDocument("/C/b.odt");
    EXPECT_TRUE(IsInList(list, "/C/b.odt"));
    EXPECT_FALSE(IsInList(list, "/c/a.odt"));
    EXPECT_FALSE(IsInList(list, "/C/a.odt "));
}
