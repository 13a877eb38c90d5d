#include <gtest/gtest.h>

#include "MemorySettingsStore.h"
#include "app/SettingsKeys.h"
#include "app/WindowChoices.h"

using namespace fk;
using test::MemorySettingsStore;

namespace {

const QString kHere = QStringLiteral("/home/user/docs");

struct StartCase {
    const char* name;
    QStringList arguments;  // after the program's name
    QMap<QString, QString> settings;
    // What comes of them: the choice as text, or the usage error's start, and how many warnings.
    QString engine;
    QString usageError = {};
    int warnings = 0;
};

// The choice in one line, so that a table can say what it expects.
QString Describe(const EngineChoice& engine) {
    QString pages;
    const std::vector<PageSelection::Output> outputs = engine.pages.outputs(12);
    for (const PageSelection::Output& output : outputs)
        pages += QString::number(output.first) + QLatin1Char(' ');
    return SplitMethodName(engine.method) + QLatin1Char(' ') + FormatName(engine.format) +
           QStringLiteral(" h%1 ").arg(engine.headingLevel) + pages.trimmed() +
           (engine.verify ? QStringLiteral(" verify") : QString());
}

// The deadline as the table writes it: " t" and milliseconds where the setting gave one.
QString Describe(const std::optional<std::chrono::milliseconds>& timeout) {
    return timeout ? QStringLiteral(" t%1").arg(timeout->count()) : QString();
}

const QString kAllPages = QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12");

WindowStart Read(const StartCase& c, MemorySettingsStore& settings) {
    settings.values = c.settings;
    return ReadWindowStart(QStringList{QStringLiteral("folioknife")} + c.arguments, kHere, settings);
}

}  // namespace

TEST(WindowChoices, CommandLineAndSettingsMakeTheJobsChoice) {
    const QString allOdt = QStringLiteral("slice odt h0 ") + kAllPages;
    const QString copyOdt = QStringLiteral("copy odt h0 ") + kAllPages;
    const QString method = settings::kSplitMethod, format = settings::kOutputFormat, cut = settings::kCutAt,
                  pages = settings::kPages, verify = settings::kVerify, timeout = settings::kTimeout,
                  every = settings::kEvery;
    const StartCase cases[] = {
        {"nothing given", {}, {}, allOdt},
        {"settings method, spaced and capitalised", {}, {{method, " Copy "}}, copyOdt},
        {"command line wins over settings", {"--method", "slice"}, {{method, "copy"}}, allOdt},
        {"option=value", {"--method=copy", "--format=docx"}, {}, QStringLiteral("copy docx h0 ") + kAllPages},
        {"format, cut and pages from settings", {}, {{format, "pdf"}, {pages, "2,r1"}}, "slice pdf h0 2 12"},
        {"headings", {"--at", "heading:2"}, {{cut, "page"}}, "slice odt h2 " + kAllPages},
        {"empty entries are none", {}, {{format, ""}, {pages, " "}}, allOdt},
        // Bad settings fall back, each with a warning.
        {"unknown format in settings", {}, {{format, "rtf"}}, allOdt, {}, 1},
        {"bad cut and pages in settings", {}, {{cut, "heading:11"}, {pages, "5-2"}}, allOdt, {}, 2},
        {"pdf+copy set: copy", {}, {{method, "copy"}, {format, "pdf"}}, copyOdt, {}, 1},
        {"--format pdf drops copy set",
         {"--format", "pdf"},
         {{method, "copy"}},
         "slice pdf h0 " + kAllPages,
         {},
         1},
        {"--method copy drops the rest",
         {"--method", "copy"},
         {{pages, "1"}, {cut, "heading:1"}},
         copyOdt,
         {},
         2},
        {"headings+pages set: pages", {}, {{pages, "3"}, {cut, "heading:1"}}, "slice odt h0 3", {}, 1},
        {"verify set", {"--format", "pdf"}, {{verify, " TRUE "}}, "slice pdf h0 " + kAllPages + " verify"},
        {"verify off", {}, {{verify, "false"}}, allOdt},
        {"verify neither true nor false", {}, {{verify, "1"}}, allOdt, {}, 1},
        {"verify with headings: left out",
         {"--at", "heading:1"},
         {{verify, "true"}},
         "slice odt h1 " + kAllPages,
         {},
         1},
        {"documents of 7 pages", {"--every", "7"}, {}, "slice odt h0 1 8"},
        {"every from settings", {}, {{every, " 5 "}}, "slice odt h0 1 6 11"},
        {"--pages wins over the every setting", {"--pages=2"}, {{every, "5"}}, "slice odt h0 2"},
        {"both set: pages kept", {}, {{pages, "3"}, {every, "5"}}, "slice odt h0 3", {}, 1},
        {"every not a number in settings", {}, {{every, "0"}}, allOdt, {}, 1},
        {"every+copy set: copy", {}, {{method, "copy"}, {every, "2"}}, copyOdt, {}, 1},
        {"timeout set", {}, {{timeout, " 90 "}}, allOdt + " t90000"},
        {"timeout 0: none", {}, {{timeout, "0"}}, allOdt + " t0"},
        {"timeout in tenths", {}, {{timeout, "1.5"}}, allOdt + " t1500"},
        {"timeout under a second", {}, {{timeout, "0.5"}}, allOdt, {}, 1},
        {"timeout over a week", {}, {{timeout, "604801"}}, allOdt, {}, 1},
        {"timeout not a number", {}, {{timeout, "1m"}}, allOdt, {}, 1},
        // Usage errors on the command line.
        {"pages and every", {"--pages", "1", "--every", "2"}, {}, {}, "--pages and --every cannot be given"},
        {"bad every", {"--every=x"}, {}, {}, "--every is a whole number of pages"},
        {"every+headings",
         {"--every", "2", "--at", "heading:1"},
         {},
         {},
         "--at heading:1 cannot be given with --every 2"},
        {"bad format", {"--format", "rtf"}, {}, {}, "--format is 'odt', 'pdf' or 'docx'"},
        {"bad cut", {"--at=heading:0"}, {}, {}, "--at is 'page' or 'heading:N'"},
        {"bad pages", {"--pages", "x"}, {}, {}, "--pages is not a page list"},
        {"bad method", {"--method", "paste"}, {}, {}, "--method is 'slice' or 'copy'"},
        {"option without value", {"--method"}, {}, {}, "--method needs a value"},
        {"unknown option", {"--jobs", "2"}, {}, {}, "Unknown option '--jobs'"},
        {"pdf+copy",
         {"--method", "copy", "--format", "pdf"},
         {},
         {},
         "--format pdf cannot be given with --method"},
        {"pages+copy",
         {"--pages", "1", "--method", "copy"},
         {},
         {},
         "--pages 1 cannot be given with --method"},
        {"headings+copy", {"--method=copy", "--at=heading:1"}, {}, {}, "--at heading:1 cannot be given with"},
        {"headings+pages",
         {"--pages", "1", "--at", "heading:1"},
         {},
         {},
         "--at heading:1 cannot be given with --p"},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsStore settings;
        const WindowStart start = Read(c, settings);
        EXPECT_TRUE(start.usageError.startsWith(c.usageError)) << start.usageError.toStdString();
        EXPECT_EQ(start.usageError.isEmpty(), c.usageError.isEmpty()) << start.usageError.toStdString();
        if (c.usageError.isEmpty()) {
            EXPECT_EQ(Describe(start.engine) + Describe(start.timeout), c.engine);
        }
        EXPECT_EQ(start.warnings.size(), c.warnings) << start.warnings.join('\n').toStdString();
        EXPECT_TRUE(settings.writes.isEmpty()) << "choosing never writes the settings";
    }
}

TEST(WindowChoices, FilesAreMadeAbsoluteAndDashesEndTheOptions) {
    MemorySettingsStore settings;
    const WindowStart start = ReadWindowStart(
        {"folioknife", "a.odt", "--format", "pdf", "../b.docx", "/abs/c.rtf", "--", "--method", "-"}, kHere,
        settings);
    ASSERT_TRUE(start.usageError.isEmpty()) << start.usageError.toStdString();
    EXPECT_EQ(start.engine.format, OutputFormat::Pdf);
    EXPECT_EQ(start.files, (QStringList{"/home/user/docs/a.odt", "/home/user/b.docx", "/abs/c.rtf",
                                        "/home/user/docs/--method", "/home/user/docs/-"}));
}
