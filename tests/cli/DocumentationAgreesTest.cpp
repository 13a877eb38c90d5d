// --help, the manual page, the bash completion and the README name the same options.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include "QtPrinters.h"
#include "cli/CommandLine.h"

using namespace fk::cli;

namespace {

QString sourceFile(const QString& relative) {
    QFile file(QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/") + relative);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return QString::fromUtf8(file.readAll());
}

QSet<QString> longOptions(QString text) {
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));  // troff's minus signs
    QSet<QString> options;
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*[a-z]"));
    for (const QRegularExpressionMatch& match : option.globalMatch(text)) options.insert(match.captured());
    return options;
}

QString readmeCommandLineSection() {
    const QString readme = sourceFile(QStringLiteral("README.md"));
    const qsizetype start = readme.indexOf(QStringLiteral("## From the command line"));
    const qsizetype end = readme.indexOf(QStringLiteral("\n## "), start + 1);
    EXPECT_GE(start, 0);
    return readme.mid(start, end - start);
}

TEST(DocumentationAgrees, HelpManualPageCompletionAndReadmeNameTheSameOptions) {
    const QSet<QString> help = longOptions(UsageText());
    EXPECT_TRUE(help.contains("--pages") && help.contains("--shard") && help.contains("--version") &&
                help.contains("--format"));
    EXPECT_EQ(longOptions(sourceFile("resources/man/folioknife-split.1")), help) << "manual page";
    EXPECT_EQ(longOptions(sourceFile("resources/completions/folioknife-split")), help) << "bash completion";
    EXPECT_EQ(longOptions(sourceFile("resources/completions/_folioknife-split")), help) << "zsh completion";
    EXPECT_EQ(longOptions(readmeCommandLineSection()), help) << "README, From the command line";
}

TEST(DocumentationAgrees, ShardsCountFromOneEverywhere) {
    const QString readme = sourceFile(QStringLiteral("README.md"));
    for (const QString& text : {UsageText(), sourceFile("resources/man/folioknife-split.1"), readme}) {
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("shard\\W+K/N"))))
            << text.left(80).toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("I/N"))) << text.left(80).toStdString();
        // A Kubernetes Indexed Job counts its pods from 0.
        EXPECT_FALSE(text.contains(QStringLiteral("--shard \"$JOB_COMPLETION_INDEX/")))
            << text.left(80).toStdString();
    }
    EXPECT_TRUE(readme.contains(QStringLiteral("::: 1 2 3 4")));
}

TEST(DocumentationAgrees, TheFormatsNamedEverywhereAreThoseTheCommandLineTakes) {
    const QStringList formats{"odt", "pdf", "docx"};
    QTemporaryDir work;
    for (const QString& format : formats) {
        EXPECT_EQ(ParseCommandLine({"folioknife-split", "--format", format, "x"}, work.path()).error,
                  QString())
            << format.toStdString();
    }
    EXPECT_NE(ParseCommandLine({"folioknife-split", "--format", "rtf", "x"}, work.path()).error, QString());
    const QString listed = QStringLiteral("--format ") + formats.join('|');
    EXPECT_TRUE(UsageText().contains(listed));
    EXPECT_TRUE(readmeCommandLineSection().contains(listed));
    EXPECT_TRUE(
        sourceFile("resources/man/folioknife-split.1")
            .contains(QStringLiteral(".BR \\-\\-format \" \" ") + formats.join(QStringLiteral(" | "))));
    EXPECT_TRUE(sourceFile("resources/completions/folioknife-split")
                    .contains(QLatin1Char('(') + formats.join(' ') + QLatin1Char(')')));
    EXPECT_TRUE(sourceFile("resources/completions/_folioknife-split")
                    .contains(QLatin1Char('(') + formats.join(' ') + QLatin1Char(')')));
}

TEST(DocumentationAgrees, EveryOptionTheHelpNamesIsOneTheCommandLineKnows) {
    QTemporaryDir work;
    for (const QString& option : longOptions(UsageText())) {
        const ParsedCommandLine parsed = ParseCommandLine({"folioknife-split", option, "x"}, work.path());
        EXPECT_FALSE(parsed.error.startsWith("Unknown option")) << option.toStdString();
    }
}

}  // namespace
