#include "cli/EarlierSplits.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>

#include "split/OutputNames.h"

namespace fk::cli {

EarlierSplits::EarlierSplits(const QJsonObject& report) {
    for (const QJsonValue& value : report.value(QStringLiteral("documents")).toArray()) {
        const QJsonObject record = value.toObject();
        const QString status = record.value(QStringLiteral("status")).toString();
        if (status != QLatin1String("split") && status != QLatin1String("skipped")) continue;
        SkippedDocument document;
        document.input = record.value(QStringLiteral("input")).toString();
        for (const QJsonValue& output : record.value(QStringLiteral("outputs")).toArray())
            document.outputs << output.toString();
        document.pages = record.value(QStringLiteral("pages")).toInt();
        document.method = record.value(QStringLiteral("method")).toString();
        // A split with no outputs (a page list that named no page) is no split to keep.
        if (!document.input.isEmpty() && !document.outputs.isEmpty()) split_.insert(document.input, document);
    }
}

std::optional<SkippedDocument> EarlierSplits::standing(const QString& input) const {
    const auto found = split_.constFind(input);
    if (found == split_.cend()) return std::nullopt;
    const QFileInfo document(input);
    if (!document.isFile()) return std::nullopt;
    const QDateTime changed = document.lastModified();
    for (const QString& output : found->outputs) {
        const QFileInfo page(output);
        if (!page.isFile() || page.lastModified() < changed) return std::nullopt;
    }
    return *found;
}

ResumePlan PlanResume(const QStringList& documents, const EarlierSplits& earlier) {
    QHash<QString, SkippedDocument> skipped;
    for (const QStringList& group : GroupBySharedOutputNames(documents)) {
        for (const QString& document : group) {
            const std::optional<SkippedDocument> stands = earlier.standing(document);
            if (!stands) break;
            skipped.insert(document, *stands);
        }
    }
    ResumePlan plan;
    for (const QString& document : documents) {
        const auto found = skipped.constFind(document);
        if (found != skipped.cend())
            plan.skipped << *found;
        else
            plan.documents << document;
    }
    return plan;
}

}  // namespace fk::cli
