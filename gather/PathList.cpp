#include "gather/PathList.h"

#include "gather/DocumentSink.h"

namespace fk {

namespace {

// One left-to-right pass over non-overlapping pairs: three separators become two, four become two.
QString collapsePairs(const QString& text, QChar separator) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text.at(i));
        if (text.at(i) == separator && i + 1 < text.size() && text.at(i + 1) == separator) ++i;
    }
    return result;
}

}  // namespace

QString NormalizePath(const QString& path, QChar separator) {
    if (!path.startsWith(separator)) return collapsePairs(path, separator);
    qsizetype rest = 0;
    while (rest < path.size() && path.at(rest) == separator) ++rest;
    const QString prefix = separator == QLatin1Char('\\') ? QStringLiteral("\\\\") : QString(separator);
    return prefix + collapsePairs(path.mid(rest), separator);
}

bool IsInList(const DocumentSink& list, const QString& path) {
    bool found = false;
    for (const QString& row : list.texts()) {
        if (row == path) found = true;
    }
    return found;
}

}  // namespace fk
