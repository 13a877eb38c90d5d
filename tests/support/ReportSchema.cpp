#include "ReportSchema.h"

#include <QProcess>

namespace fk::test {

namespace {

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun RunPython(const QStringList& arguments) {
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(QStringLiteral("python3"), arguments);
    if (!python.waitForStarted() || !python.waitForFinished(60000)) return {};
    return {python.exitStatus() == QProcess::NormalExit ? python.exitCode() : -1,
            QString::fromUtf8(python.readAll())};
}

}  // namespace

QString ReportSchemaCheckerMissing() {
    const ToolRun probe = RunPython({QStringLiteral("-c"), QStringLiteral("import jsonschema")});
    return probe.exitCode == 0 ? QString()
                               : QStringLiteral(
                                     "python3 with the jsonschema module (python3-jsonschema, "
                                     "which scripts/setup.sh installs) is missing");
}

QString ReportSchemaViolations(const QStringList& reports) {
    const ToolRun check =
        RunPython(QStringList{QStringLiteral(FOLIOKNIFE_SOURCE_DIR "/tests/support/check_report_schema.py"),
                              QStringLiteral(FOLIOKNIFE_SOURCE_DIR
                                             "/resources/schema/folioknife-split-report.schema.json")} +
                  reports);
    if (check.exitCode == 0) return {};
    return check.output.isEmpty() ? QStringLiteral("the schema check did not run") : check.output;
}

}  // namespace fk::test
