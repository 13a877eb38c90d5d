#include <gtest/gtest.h>

#include <QProcess>

#include "app/InfoOptions.h"

using namespace fk;

TEST(InfoOptions, HelpAndVersionAreAnsweredAndEverythingElseOpensTheWindow) {
    const QString version = QStringLiteral("folioknife " FOLIOKNIFE_VERSION "\n");
    const struct {
        QStringList arguments;
        std::optional<QString> text;
    } cases[] = {
        {{"folioknife"}, std::nullopt},
        {{"folioknife", "--help"}, WindowUsageText()},
        {{"folioknife", "-h"}, WindowUsageText()},
        {{"folioknife", "--version"}, version},
        {{"folioknife", "--version", "--help"}, version},
        {{"folioknife", "--method", "copy", "--help"}, WindowUsageText()},
        {{"folioknife", "--method", "--help"}, std::nullopt},  // a method's name, however odd
        {{"folioknife", "--", "--help"}, std::nullopt},
        {{"folioknife", "-platform", "offscreen"}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InfoOptionText(c.arguments), c.text) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(WindowUsageText().contains("--method slice|copy"));
    EXPECT_TRUE(WindowUsageText().contains("slice (the default)"));
}

// Neither needs a display: they are answered before the application object is made.
TEST(InfoOptions, TheProgramAnswersWithoutADisplay) {
    for (const char* option : {"--help", "--version"}) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(FOLIOKNIFE_PROGRAM), {QString::fromLatin1(option)});
        ASSERT_TRUE(program.waitForFinished(20000)) << option;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(program.exitCode(), 0) << option;
        EXPECT_FALSE(program.readAllStandardOutput().isEmpty()) << option;
    }
}
