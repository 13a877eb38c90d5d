#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace fk::cli {

// Part K of N of the inputs, counted from 1 to N as split --number K/N counts its chunks, so that N
// hosts given the same inputs split every document exactly once.
struct Shard {
    int part = 1;
    int count = 1;

    bool holds(const QString& documentPath) const;
};

inline constexpr int kMaxShards = 1000000;

// "K/N" with 1 <= K <= N. Returns nothing and sets `error` otherwise.
std::optional<Shard> ParseShard(const QString& text, QString& error);

// 64-bit FNV-1a of the bytes: the same on every host and every run, unlike qHash.
std::uint64_t StableHash(const QByteArray& bytes);

// The shard a document belongs to, from 0 to count - 1: by the hash of the UTF-8 of the base name its outputs
// carry. Documents whose outputs would share names land in one shard, split there in order as in a single
// run, so shards may write to one folder; and hosts may see the inputs under different folders.
int ShardOf(const QString& documentPath, int count);

}  // namespace fk::cli
