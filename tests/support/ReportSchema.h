#pragma once

#include <QStringList>

namespace fk::test {

// The ways the reports (files) break the report's JSON Schema, as the jsonschema module finds them;
// empty when they keep it. Nothing when that module is missing: see ReportSchemaCheckerMissing.
QString ReportSchemaViolations(const QStringList& reports);

// Why the reports cannot be checked here (no python3 or no jsonschema module); empty when they can.
QString ReportSchemaCheckerMissing();

}  // namespace fk::test
