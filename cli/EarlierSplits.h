#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <optional>

#include "split/JsonReport.h"

namespace fk::cli {

// The documents an earlier run's report lists as split (or as skipped, by a run resumed before),
// read so that a resumed run can leave alone those whose split still stands.
class EarlierSplits {
public:
    explicit EarlierSplits(const QJsonObject& report);

    // What the report told of `input` while its split stands: every output it listed is there, none
    // older than the document. Nothing when the document must be split again.
    std::optional<SkippedDocument> standing(const QString& input) const;

private:
    QHash<QString, SkippedDocument> split_;
};

struct ResumePlan {
    QList<SkippedDocument> skipped;
    QStringList documents;  // to split, in the order given
};

// Which documents a resumed run splits. Of documents whose outputs share names only the leading ones
// whose splits stand are skipped: splitting one again overwrites the outputs of those after it.
ResumePlan PlanResume(const QStringList& documents, const EarlierSplits& earlier);

}  // namespace fk::cli
