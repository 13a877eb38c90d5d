#include "cli/Shard.h"

#include "split/OutputNames.h"

#include <QRegularExpression>

namespace fk::cli {

std::optional<Shard> ParseShard(const QString& text, QString& error) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,7})/(\\d{1,7})$"));
    const QRegularExpressionMatch match = form.match(text);
    const int index = match.hasMatch() ? match.captured(1).toInt() : -1;
    const int count = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (count < 1 || count > kMaxShards || index < 0 || index >= count) {
        error = QStringLiteral(
                    "--shard takes I/N: part I of N, counted from 0 (0/4 to 3/4 for four hosts), N up to "
                    "%1; not '%2'.")
                    .arg(kMaxShards)
                    .arg(text);
        return std::nullopt;
    }
    return Shard{index, count};
}

std::uint64_t StableHash(const QByteArray& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return hash;
}

int ShardOf(const QString& documentPath, int count) {
    const QString outputName = OutputBaseName(documentPath);
    return static_cast<int>(StableHash(outputName.toUtf8()) % static_cast<std::uint64_t>(count));
}

}  // namespace fk::cli
