#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace fk::cli {

// One of N parts of the inputs, numbered from 0 (as a Kubernetes Indexed Job numbers its pods), so
// that N hosts given the same inputs split every document exactly once.
struct Shard {
    int index = 0;
    int count = 1;
};

inline constexpr int kMaxShards = 1000000;

// "I/N" with 0 <= I < N. Returns nothing and sets `error` otherwise.
std::optional<Shard> ParseShard(const QString& text, QString& error);

// 64-bit FNV-1a of the bytes: the same on every host and every run, unlike qHash.
std::uint64_t StableHash(const QByteArray& bytes);

// The shard a document belongs to: by the hash of the UTF-8 of the base name its outputs carry. Documents
// whose outputs would share names land in one shard, split there in order as in a single run, so shards
// may write to one folder; and hosts may see the inputs under different folders.
int ShardOf(const QString& documentPath, int count);

}  // namespace fk::cli
