// folioknife-split's page slicer on the hard cases: every output is one page by the office's own count,
// and the outputs together hold the input's words, no fewer and no others.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "QtPrinters.h"
#include "TestOffice.h"
#include "fsutil/ProgramFolder.h"
#include "split/OfficeSession.h"

using namespace fk;
using namespace fk::test;

namespace {

const QString kHardCases = QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/tests/data/hard-cases");

using WordCounts = QMap<QString, int>;

void CountWords(const QString& text, WordCounts& counts) {
    static const QRegularExpression separators(QStringLiteral("[^\\w]+"));
    for (const QString& word : text.toLower().split(separators, Qt::SkipEmptyParts)) ++counts[word];
}

QByteArray ContentXml(const QString& odtPath) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), odtPath, QStringLiteral("content.xml")});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

// Words of the body, and separately those of repeated table heading rows, which the layout shows
// again on every page a table runs over.
struct BodyWords {
    WordCounts all;
    WordCounts headingRows;
};

BodyWords WordsOf(const QString& odtPath) {
    BodyWords words;
    QXmlStreamReader xml(ContentXml(odtPath));
    int inBody = 0, inHeadingRows = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("text") && xml.namespaceUri().contains(QLatin1String(":office:")))
                ++inBody;
            if (xml.name() == QLatin1String("table-header-rows")) ++inHeadingRows;
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("table-header-rows")) --inHeadingRows;
        } else if (xml.isCharacters() && inBody > 0) {
            CountWords(xml.text().toString(), words.all);
            if (inHeadingRows > 0) CountWords(xml.text().toString(), words.headingRows);
        }
    }
    return words;
}

class SliceEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { office_ = new TestOffice; }
    static void TearDownTestSuite() { delete office_; }

    // The office's own page count of a document.
    static int PagesOf(const QString& path) {
        LibreOfficeSession& office = office_->session();
        office.reach();
        const office::DocumentRef document = office.load(ToFileUrl(path), {.hidden = true});
        // The pages the office prints, not those laid out so far.
        office.completeLayout(document);
        const int pages = office.countPages(document);
        office.close(document);
        return pages;
    }

    // An input of another format as the office stores it in OpenDocument, for its words.
    static QString AsOdt(const QString& path, const QString& folder) {
        LibreOfficeSession& office = office_->session();
        office.reach();
        const office::DocumentRef document = office.load(ToFileUrl(path), {.hidden = true, .readOnly = true});
        const QString target =
            folder + QStringLiteral("/") + QFileInfo(path).fileName() + QStringLiteral(".odt");
        office.storeToUrl(document, ToFileUrl(target),
                          {{QStringLiteral("FilterName"), QStringLiteral("writer8")}});
        office.close(document);
        return target;
    }

    static TestOffice* office_;
    // Profiles in the test's cache; the run's and its offices' temporary files in the test's folder.
    QProcessEnvironment splitEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), work_.filePath(QStringLiteral("cache")));
        QDir().mkpath(work_.filePath(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("TMPDIR"), work_.filePath(QStringLiteral("tmp")));
        return environment;
    }

    QTemporaryDir work_;
};

TestOffice* SliceEndToEnd::office_ = nullptr;

}  // namespace

TEST_F(SliceEndToEnd, HardCasesGiveOnePageEachWithTheInputsWords) {
    QFile expectedFile(kHardCases + QStringLiteral("/expected.json"));
    ASSERT_TRUE(expectedFile.open(QIODevice::ReadOnly));
    const QJsonObject expected =
        QJsonDocument::fromJson(expectedFile.readAll()).object().value("pages").toObject();
    ASSERT_FALSE(expected.isEmpty());

    QStringList inputs;
    QMap<QString, QByteArray> digests;
    for (const QString& name : expected.keys()) {
        inputs << kHardCases + QLatin1Char('/') + name;
        digests.insert(name, FileDigest(inputs.last()));
    }
    const QString out = work_.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    QProcess split;
    split.setProcessEnvironment(splitEnvironment());
    split.start(ProgramFolder() + QStringLiteral("/folioknife-split"),
                QStringList{QStringLiteral("-o"), out} + inputs);
    ASSERT_TRUE(split.waitForFinished(600000));
    const QString errors = QString::fromUtf8(split.readAllStandardError());
    EXPECT_EQ(split.exitCode(), 0) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QLatin1String("copy method"))) << errors.toStdString();

    for (const QString& name : expected.keys()) {
        SCOPED_TRACE(name.toStdString());
        const QString input = kHardCases + QLatin1Char('/') + name;
        EXPECT_EQ(FileDigest(input), digests.value(name)) << "input changed";
        const QString stem = QFileInfo(name).completeBaseName();
        const int pages = expected.value(name).toInt();
        const QStringList outputs =
            QDir(out).entryList({stem + QStringLiteral("_????.odt")}, QDir::Files, QDir::Name);
        ASSERT_EQ(outputs.size(), pages);

        const BodyWords in =
            WordsOf(name.endsWith(QLatin1String(".odt")) ? input : AsOdt(input, work_.path()));
        WordCounts outWords;
        for (const QString& output : outputs) {
            const QString path = out + QLatin1Char('/') + output;
            EXPECT_EQ(PagesOf(path), 1) << output.toStdString();
            EXPECT_FALSE(ContentXml(path).contains("__folioknife_page_")) << output.toStdString();
            const WordCounts words = WordsOf(path).all;
            for (auto word = words.begin(); word != words.end(); ++word) outWords[word.key()] += word.value();
        }
        for (auto word = in.all.begin(); word != in.all.end(); ++word)
            EXPECT_GE(outWords.value(word.key()), word.value()) << "lost: " << word.key().toStdString();
        for (auto word = outWords.begin(); word != outWords.end(); ++word) {
            const int extra = word.value() - in.all.value(word.key());
            EXPECT_TRUE(extra <= 0 || in.headingRows.contains(word.key()))
                << "repeated or foreign: " << word.key().toStdString() << " x" << extra;
        }
    }
}

TEST_F(SliceEndToEnd, BadInputsGetOneReportEachAndLeaveNoPartialFile) {
    const QString in = work_.filePath(QStringLiteral("in"));
    const QString out = work_.filePath(QStringLiteral("out"));
    QDir().mkpath(in);
    QDir().mkpath(out);
    // A document that needs a password, stored by the office itself.
    {
        LibreOfficeSession& office = office_->session();
        office.reach();
        const office::DocumentRef document = office.load(
            ToFileUrl(kHardCases + QStringLiteral("/title-page.odt")), {.hidden = true, .readOnly = true});
        office.storeToUrl(document, ToFileUrl(in + QStringLiteral("/locked.odt")),
                          {{QStringLiteral("FilterName"), QStringLiteral("writer8")},
                           {QStringLiteral("Password"), QStringLiteral("secret")}});
        office.close(document);
    }
    // A package cut short, as a broken download leaves it.
    QFile whole(kHardCases + QStringLiteral("/pictures.odt"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile damaged(in + QStringLiteral("/damaged.odt"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(whole.read(whole.size() / 2));
    damaged.close();
    const QStringList bad{in + QStringLiteral("/locked.odt"), in + QStringLiteral("/damaged.odt")};
    QMap<QString, QByteArray> digests;
    for (const QString& path : bad) digests.insert(path, FileDigest(path));

    QProcess split;
    split.setProcessEnvironment(splitEnvironment());
    split.start(
        ProgramFolder() + QStringLiteral("/folioknife-split"),
        QStringList{QStringLiteral("-o"), out} + bad + QStringList{kHardCases + QStringLiteral("/toc.odt")});
    ASSERT_TRUE(split.waitForFinished(600000));
    const QString errors = QString::fromUtf8(split.readAllStandardError());
    EXPECT_EQ(split.exitCode(), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains(bad[0] + QStringLiteral(": the document needs a password")))
        << errors.toStdString();
    for (const QString& path : bad) {
        EXPECT_EQ(errors.count(path + QStringLiteral(": ")), 1) << errors.toStdString();
        EXPECT_EQ(FileDigest(path), digests.value(path)) << "input changed";
    }
    const QStringList written = QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(written.filter(QStringLiteral("toc_")).size(), 6);
    EXPECT_EQ(written.size(), 6) << "nothing of the bad inputs, and no temporary file: "
                                 << written.join(' ').toStdString();
}
