// The Basic modules the office marks with, as the build fills them in from the slicer's mark names.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "QtPrinters.h"
#include "slicer/MarkNames.h"
#include "split/EndnoteMarking.h"
#include "split/HeadingMarking.h"
#include "split/PageMarking.h"

using namespace fk;

namespace {

QString Literal(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(MarkingModulesTest, EveryMarkNameTheOfficeWritesIsSpelledAsTheSlicerReadsIt) {
    const QString digits(slicer::kPageNumberDigits, QLatin1Char('0'));
    const QString page = Literal(slicer::kPageMarkPrefix);
    const struct {
        office::BasicModule module;
        QString function;
        QString moduleName;
        QStringList names;  // every mark name the module makes, as Basic expressions
    } cases[] = {
        {PageMarking::module(),
         PageMarking::kFunction,
         "PageMarks",
         {"\"" + page + "\" & Format(page, \"" + digits + "\")",
          "\"" + page + "\" & Format(page, \"" + digits + "\") & \"" + Literal(slicer::kCellMarkInfix) +
              "\" & cellCount",
          "\"" + page + "\" & Format(page, \"" + digits + "\") & \"" + Literal(slicer::kNoteMarkInfix) +
              "\" & noteCount"}},
        {EndnoteMarking::module(),
         EndnoteMarking::kFunction,
         "EndnoteMarks",
         {"\"" + page + "\" & Format(page, \"" + digits + "\")"}},
        {HeadingMarking::module(),
         HeadingMarking::kFunction,
         "HeadingMarks",
         {"\"" + Literal(slicer::kHeadingMarkPrefix) + "\" & Format(k + 1, \"" + digits + "\")"}},
    };
    static const QRegularExpression placeholder(QStringLiteral("@[A-Za-z_]+@"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moduleName.toStdString());
        const QString& source = c.module.source;
        EXPECT_EQ(c.module.name, c.moduleName);
        EXPECT_TRUE(source.startsWith(QLatin1String("Option Explicit\n")));
        EXPECT_TRUE(source.contains("Function " + c.function + "(document As Object, "));
        EXPECT_FALSE(source.contains(placeholder)) << "left unfilled";
        for (const QString& name : c.names) EXPECT_TRUE(source.contains(name)) << name.toStdString();
        // Every name the module gives a bookmark is one of those above.
        EXPECT_EQ(source.count(QLatin1String("__folioknife_")), c.names.size());
    }
}

}  // namespace
