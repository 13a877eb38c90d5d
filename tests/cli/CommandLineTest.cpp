#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "QtPrinters.h"
#include "cli/CommandLine.h"
#include "split/JsonReport.h"

using namespace fk;
using namespace fk::cli;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    ParsedCommandLine parse(QStringList arguments) {
        arguments.prepend(QStringLiteral("folioknife-split"));
        return ParseCommandLine(arguments, work.path());
    }
    QTemporaryDir work;
};

TEST_F(CommandLineTest, DefaultsAndBothOptionSpellings) {
    QDir(work.path()).mkpath("pages");
    const ParsedCommandLine defaults = parse({"a.odt", "folder"});
    ASSERT_EQ(defaults.error, QString());
    EXPECT_EQ(defaults.options.inputs, (QStringList{"a.odt", "folder"}));
    EXPECT_EQ(defaults.options.outputFolder, work.path() + "/");
    EXPECT_EQ(defaults.options.jobs, 1);
    EXPECT_FALSE(defaults.options.timeoutSeconds) << "the default deadline grows with each document";
    EXPECT_FALSE(defaults.options.visible);

    const ParsedCommandLine full = parse({"-o", "pages", "--jobs=3", "--timeout", "2.5", "a.odt"});
    ASSERT_EQ(full.error, QString());
    EXPECT_EQ(full.options.outputFolder, work.path() + "/pages/");
    EXPECT_EQ(full.options.jobs, 3);
    EXPECT_DOUBLE_EQ(full.options.timeoutSeconds.value_or(0), 2.5);

    const ParsedCommandLine shortOptions =
        parse({"-j", "2", "-t", "9", "--output", work.path() + "/pages/", "a"});
    ASSERT_EQ(shortOptions.error, QString());
    EXPECT_EQ(shortOptions.options.jobs, 2);
    EXPECT_EQ(shortOptions.options.outputFolder, work.path() + "/pages/");
}

TEST_F(CommandLineTest, InputsThatLookLikeOptionsAfterDoubleDash) {
    const ParsedCommandLine parsed = parse({"--", "-odd name.odt"});
    ASSERT_EQ(parsed.error, QString());
    EXPECT_EQ(parsed.options.inputs, QStringList{"-odd name.odt"});
}

TEST_F(CommandLineTest, OptionsAreWrittenAsWithGnuTools) {
    QDir(work.path()).mkpath("pages");
    const struct {
        QStringList arguments;
        int jobs;
        QString output;  // under the working folder
        QStringList inputs;
    } spellings[] = {
        {{"-j2", "-opages", "a"}, 2, "pages/", {"a"}},
        {{"--jobs=3", "--output=pages", "a"}, 3, "pages/", {"a"}},
        {{"--jo", "4", "--out", "pages", "a"}, 4, "pages/", {"a"}},  // unambiguous prefixes
        {{"a", "-j", "2", "b"}, 2, "", {"a", "b"}},                  // options after the inputs
        {{"-j2", "--", "-j3", "--x"}, 2, "", {"-j3", "--x"}},
        {{"-"}, 1, "", {"-"}},
        {{"--files-from", "-", "-j2"}, 2, "", {}},  // the inputs may all come from the list
    };
    for (const auto& [arguments, jobs, output, inputs] : spellings) {
        const ParsedCommandLine parsed = parse(arguments);
        ASSERT_EQ(parsed.error, QString()) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.jobs, jobs) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.outputFolder, work.path() + "/" + output)
            << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.inputs, inputs) << arguments.join(' ').toStdString();
    }
}

TEST_F(CommandLineTest, QuietAndProgressModes) {
    const struct {
        QStringList arguments;
        bool quiet;
        ProgressMode progress;
    } modes[] = {
        {{"a"}, false, ProgressMode::Auto},
        {{"-q", "a"}, true, ProgressMode::Auto},
        {{"--quiet", "--progress=never", "a"}, true, ProgressMode::Never},
        {{"--progress", "always", "a"}, false, ProgressMode::Always},
    };
    for (const auto& [arguments, quiet, progress] : modes) {
        const ParsedCommandLine parsed = parse(arguments);
        ASSERT_EQ(parsed.error, QString()) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.quiet, quiet) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.options.progress, progress) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(parse({"--progress=sometimes", "a"}).error,
              "--progress is 'auto', 'always' or 'never', not 'sometimes'.");
}

TEST_F(CommandLineTest, UsageErrors) {
    const struct {
        QStringList arguments;
        QString error;
    } wrong[] = {
        {{"--frobnicate", "a.odt"}, "Unknown option '--frobnicate'."},
        {{"-x", "a.odt"}, "Unknown option '-x'."},
        {{"-o"}, "-o needs a value."},
        {{"a.odt", "--json"}, "--json needs a value."},
        {{"--ver", "a.odt"}, "--ver is ambiguous: it could be --verbose, --version, --verify."},
        {{"--visible=yes", "a.odt"}, "--visible takes no value."},
        {{}, "No input given: name documents or folders to split."},
        {{"--null", "a.odt"}, "--null tells how the names of --files-from end: give that too."},
        {{"--files-from="}, "--files-from names a file of names, or - for standard input."},
    };
    for (const auto& [arguments, error] : wrong)
        EXPECT_EQ(parse(arguments).error, error) << arguments.join(' ').toStdString();
    for (const char* jobs : {"0", "-1", "two", "65", "1.5"})
        EXPECT_TRUE(parse({"--jobs", jobs, "a.odt"}).error.startsWith("--jobs takes")) << jobs;
    for (const char* timeout : {"0.0004", "0.999", "-3", "soon", "nan", "inf", "604801"})
        EXPECT_TRUE(parse({"--timeout", timeout, "a.odt"}).error.startsWith("--timeout takes")) << timeout;
    EXPECT_EQ(parse({"--timeout", "1", "a.odt"}).error, QString());
    EXPECT_EQ(parse({"--timeout", "0", "a.odt"}).options.timeoutSeconds, 0.0) << "no deadline";
    EXPECT_EQ(parse({"--visible", "--jobs", "2", "a.odt"}).error,
              "--visible works with one job only: visible offices share the desktop's clipboard.");
    EXPECT_EQ(parse({"--visible", "a.odt"}).error, QString());
    EXPECT_TRUE(parse({"-j", "auto", "a.odt"}).options.jobsAuto);
    EXPECT_TRUE(parse({"--jobs", "Auto", "a.odt"}).error.startsWith("--jobs takes"));
    EXPECT_EQ(parse({"--visible", "--jobs=auto", "a.odt"}).error,
              "--visible works with one job only: visible offices share the desktop's clipboard.");
}

TEST_F(CommandLineTest, TheOutputFolderIsMadeWhenMissingAndMustBeAFolderWithAName) {
    const ParsedCommandLine missing = parse({"-o", "pages/deeper", "a.odt"});
    ASSERT_EQ(missing.error, QString());
    EXPECT_FALSE(QFileInfo::exists(work.filePath("pages"))) << "reading the options makes nothing";
    EXPECT_EQ(MakeOutputFolder(missing.options.outputFolder), QString());
    EXPECT_TRUE(QFileInfo(work.filePath("pages/deeper")).isDir());
    EXPECT_EQ(MakeOutputFolder(missing.options.outputFolder), QString()) << "made already";

    QFile file(work.filePath("notes"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(parse({"-o", "notes", "a.odt"}).error,
              work.filePath("notes") + ": not a folder; name a folder with -o (a missing one is made).");
    EXPECT_TRUE(MakeOutputFolder(work.filePath("notes/pages/"))
                    .startsWith(work.filePath("notes/pages/") + ": the output folder cannot be made: "));
    EXPECT_TRUE(parse({"-o", "", "a.odt"}).error.startsWith("-o names the output folder; '' names none"))
        << "not the current folder in silence";

    const char* argv[] = {"folioknife-split", "-o", "caf\xE9", "a.odt"};
    const NonUtf8Arguments nonUtf8 = FindNonUtf8Arguments(4, argv);
    const QString error = ParseCommandLine({"folioknife-split", "-o", QString::fromUtf8("caf\xE9"), "a.odt"},
                                           work.path(), nonUtf8)
                              .error;
    EXPECT_EQ(
        error,
        "caf\\xe9: the output folder's name is not valid UTF-8; rename it or name another folder with -o.");
}

TEST_F(CommandLineTest, PageSelectionsNeedTheSlicerAndOneAtATime) {
    const ParsedCommandLine pages = parse({"--pages", "1-3,7,10-", "a.odt"});
    ASSERT_EQ(pages.error, QString());
    EXPECT_EQ(pages.options.pages.outputs(11).size(), 6u);
    const ParsedCommandLine every = parse({"--every", "4", "a.odt"});
    ASSERT_EQ(every.error, QString());
    EXPECT_EQ(every.options.pages.outputs(9).size(), 3u);
    EXPECT_TRUE(parse({"a.odt"}).options.pages.isEveryPage());

    EXPECT_EQ(parse({"--pages", "1", "--every", "2", "a.odt"}).error,
              "--pages and --every cannot be given together.");
    for (const QStringList& selection : {QStringList{"--pages", "2"}, QStringList{"--every", "2"}}) {
        EXPECT_EQ(parse(selection + QStringList{"--method", "copy", "a.odt"}).error,
                  "--pages and --every need the page slicer: they cannot be given with --method copy.");
    }
    EXPECT_TRUE(parse({"--pages", "3-1", "a.odt"}).error.startsWith("--pages: '3-1' runs backwards"));
    for (const char* size : {"0", "-2", "x", "1.5", "1000001"})
        EXPECT_TRUE(parse({"--every", size, "a.odt"}).error.startsWith("--every takes")) << size;
}

TEST_F(CommandLineTest, CutAtPagesOrAtHeadingsDownToALevel) {
    EXPECT_EQ(parse({"a.odt"}).options.headingLevel, 0);
    EXPECT_EQ(parse({"--at", "page", "a.odt"}).options.headingLevel, 0);
    EXPECT_EQ(parse({"--at=heading:1", "a.odt"}).options.headingLevel, 1);
    EXPECT_EQ(parse({"--at", "heading:10", "a.odt"}).options.headingLevel, 10);
    for (const char* where : {"heading:0", "heading:11", "heading:", "heading", "heading:+2", "heading: 2",
                              "heading:2x", "heading:1.5", "Heading:1", "pages", "chapter", ""}) {
        const ParsedCommandLine parsed = parse({"--at", where, "a.odt"});
        EXPECT_EQ(parsed.error,
                  QStringLiteral("--at is 'page' or 'heading:N' with N from 1 to 10, not '%1'.").arg(where))
            << where;
    }

    // Pages chosen or grouped say nothing about parts; at pages they still go.
    for (const QStringList& selection : {QStringList{"--pages", "2"}, QStringList{"--every", "2"}}) {
        EXPECT_EQ(parse(QStringList{"--at", "heading:2"} + selection + QStringList{"a.odt"}).error,
                  "--at heading:N writes one document per part: it cannot be given with --pages or --every.");
        EXPECT_EQ(parse(selection + QStringList{"--at", "page", "a.odt"}).error, QString());
    }
    EXPECT_EQ(parse({"--method", "copy", "--at", "heading:1", "a.odt"}).error,
              "--at heading:N needs the page slicer: it cannot be given with --method copy.");
    EXPECT_EQ(parse({"--method", "copy", "--at", "page", "a.odt"}).error, QString());
}

TEST_F(CommandLineTest, VerifyChecksPagesAndRunsOfPagesButNotParts) {
    EXPECT_FALSE(parse({"a.odt"}).options.verify);
    for (const QStringList& with :
         {QStringList{}, QStringList{"--every", "2"}, QStringList{"--format", "pdf"},
          QStringList{"--method", "copy"}, QStringList{"--at", "page"}}) {
        const ParsedCommandLine parsed = parse(QStringList{"--verify"} + with + QStringList{"a.odt"});
        EXPECT_EQ(parsed.error, QString()) << with.join(' ').toStdString();
        EXPECT_TRUE(parsed.options.verify);
    }
    EXPECT_TRUE(
        parse({"a.odt", "--at", "heading:1", "--verify"}).error.startsWith("--verify checks each output"));
}

TEST_F(CommandLineTest, OutputFormatsAndWhatEachWorksWith) {
    EXPECT_EQ(parse({"a.odt"}).options.format, fk::OutputFormat::Odt);
    const ParsedCommandLine pdf = parse({"--format", "pdf", "--every", "2", "a.odt"});
    ASSERT_EQ(pdf.error, QString());
    EXPECT_EQ(pdf.options.format, fk::OutputFormat::Pdf);
    EXPECT_EQ(pdf.options.pages.outputs(3).size(), 2u);
    const ParsedCommandLine docx = parse({"--format=docx", "--method", "copy", "a.odt"});
    ASSERT_EQ(docx.error, QString());
    EXPECT_EQ(docx.options.format, fk::OutputFormat::Docx);
    EXPECT_EQ(docx.options.method, SplitMethod::Copy);

    EXPECT_EQ(
        parse({"--method", "copy", "--format", "pdf", "a.odt"}).error,
        "--format pdf cuts the office's own PDF of the document: it cannot be given with --method copy.");
    for (const char* format : {"", "PDF", "doc", "odt,pdf"})
        EXPECT_EQ(parse({"--format", format, "a.odt"}).error,
                  QStringLiteral("--format is 'odt', 'pdf' or 'docx', not '%1'.").arg(format));
}

TEST_F(CommandLineTest, JsonReportFileAndShard) {
    const ParsedCommandLine parsed = parse({"--json", "run.json", "--shard", "1/3", "a.odt"});
    ASSERT_EQ(parsed.error, QString());
    EXPECT_EQ(parsed.options.jsonFile, work.path() + "/run.json");
    ASSERT_TRUE(parsed.options.shard.has_value());
    EXPECT_EQ(parsed.options.shard->part, 1);
    EXPECT_EQ(parsed.options.shard->count, 3);
    EXPECT_FALSE(parse({"a.odt"}).options.shard.has_value());

    QDir(work.path()).mkpath("folder");
    QFile(work.filePath("notes")).open(QIODevice::WriteOnly);
    for (const char* json : {"folder", "", "notes/run.json", "notes/deeper/run.json"})
        EXPECT_TRUE(parse({"--json", json, "a.odt"}).error.startsWith("--json names a file")) << json;
    // Its folder is made as the output folder is, inside that one too.
    for (const char* json : {"missing/run.json", "out/deeper/run.json"})
        EXPECT_EQ(parse({"--json", json, "-o", "out", "a.odt"}).error, QString()) << json;
    EXPECT_TRUE(parse({"--shard", "0/3", "a.odt"}).error.startsWith("--shard takes K/N"));
}

TEST_F(CommandLineTest, AForgottenReportNameNeverCostsADocument) {
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(work.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write("a.odt", "PK\x03\x04 a document");
    write("b.odt", "PK\x03\x04 another");
    write("notes.txt", "the user's notes");
    write("empty.json", "");
    ASSERT_TRUE(QFile::link(work.filePath("a.odt"), work.filePath("link.json")));
    QDir(work.path()).mkpath("in");
    const auto refused = [&](const QStringList& arguments, const char* why) {
        const QString error = parse(arguments).error;
        EXPECT_TRUE(error.startsWith("--json '") && error.contains(why))
            << arguments.join(' ').toStdString() << ": " << error.toStdString();
    };
    refused({"--json", "a.odt", "b.odt"}, "is a file that is not a report of folioknife-split");
    refused({"--json", "x.odt", "x.odt"}, "names an input of this run");
    refused({"--json", "./in/../a.odt", "a.odt"}, "names an input of this run");
    refused({"--json", "link.json", "a.odt"}, "names an input of this run");
    refused({"--json", "in/new.odt", "in"}, "has a document's extension");
    refused({"--json", "REPORT.DOCX", "b.odt"}, "has a document's extension");
    refused({"--json", "notes.txt", "b.odt"}, "is a file that is not a report of folioknife-split");

    EXPECT_EQ(parse({"--json", "empty.json", "b.odt"}).error, QString());
    EXPECT_EQ(parse({"--json", "new.json", "b.odt"}).error, QString());
}

TEST_F(CommandLineTest, AnEarlierReportMayBeReplacedWhateverItsLength) {
    RunRecord run;
    for (int i = 0; i < 2000; ++i) {
        DocumentResult result;
        result.path = QStringLiteral("/in/document %1.odt").arg(i);
        run.results << result;
    }
    run.problems << QString(3000, 'x');
    ASSERT_EQ(WriteJsonReport(work.filePath("run.json"), run, "1.0.0"), QString());
    ASSERT_EQ(WriteJsonReport(work.filePath("small.json"), RunRecord{}, "1.0.0"), QString());
    EXPECT_TRUE(IsJsonReport(work.filePath("run.json")));
    EXPECT_EQ(parse({"--json", "run.json", "a.odt"}).error, QString());
    EXPECT_EQ(parse({"--json", "small.json", "a.odt"}).error, QString());

    QFile other(work.filePath("other.json"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(R"({"documents": [], "kept": "someone else's"})");
    other.close();
    EXPECT_FALSE(IsJsonReport(other.fileName()));
}

TEST_F(CommandLineTest, ADashForTheReportIsStandardOutputAndNoFileName) {
    const ParsedCommandLine parsed = parse({"--json", "-", "a.odt"});
    ASSERT_EQ(parsed.error, QString());
    EXPECT_EQ(parsed.options.jsonFile, "-");
    EXPECT_TRUE(IsStandardOutput(parsed.options.jsonFile));
    EXPECT_EQ(parse({"--json", "./-", "a.odt"}).options.jsonFile, work.filePath("-")) << "a file named -";
}

TEST_F(CommandLineTest, ResumeTakesOnlyAnEarlierReport) {
    ASSERT_EQ(WriteJsonReport(work.filePath("run.json"), RunRecord{}, "1.0.0"), QString());
    QFile notes(work.filePath("notes.json"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("{}");
    notes.close();
    const ParsedCommandLine resumed = parse({"--resume", "run.json", "--json", "run.json", "a.odt"});
    ASSERT_EQ(resumed.error, QString());
    EXPECT_EQ(resumed.options.resumeReport, work.filePath("run.json"));
    for (const QString& given : {"notes.json", "missing.json", "", "-"}) {
        EXPECT_TRUE(parse({"--resume", given, "a.odt"}).error.startsWith("--resume names a report"))
            << given.toStdString();
    }
}

TEST_F(CommandLineTest, VersionNeedsNothingElse) {
    EXPECT_TRUE(parse({"--version"}).options.version);
    EXPECT_TRUE(parse({"--version", "--jobs", "0"}).error.isEmpty());
    EXPECT_EQ(VersionText(), "folioknife-split " + ProgramVersion() + "\n");
    EXPECT_TRUE(ProgramVersion().contains(QRegularExpression("^\\d+\\.\\d+\\.\\d+$")))
        << ProgramVersion().toStdString();
}

TEST_F(CommandLineTest, HelpNeedsNothingElse) {
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h", "--jobs", "0"}).options.help);
    EXPECT_TRUE(UsageText().contains("SYNOPSIS"));
    EXPECT_TRUE(UsageText().contains("EXIT STATUS"));
}

}  // namespace
