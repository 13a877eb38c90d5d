#include "cli/Shard.h"

#include "split/OutputNames.h"

#include <QRegularExpression>

namespace fk::cli {

std::optional<Shard> ParseShard(const QString& text, QString& error) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,7})/(\\d{1,7})$"));
    const QRegularExpressionMatch match = form.match(text);
    const int part = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int count = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (count < 1 || count > kMaxShards || part < 1 || part > count) {
        error = QStringLiteral(
                    "--shard takes K/N: part K of N, counted from 1 (1/4 to 4/4 for four hosts), N up to "
                    "%1; not '%2'.")
                    .arg(kMaxShards)
                    .arg(text);
        return std::nullopt;
    }
    return Shard{part, count};
}

bool Shard::holds(const QString& documentPath) const {
    return ShardOf(documentPath, count) == part - 1;
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
