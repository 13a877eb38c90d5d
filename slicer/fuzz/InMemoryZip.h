#pragma once

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace fk::slicer::fuzz {

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveDiscarder>;

// Opens bytes held in memory as a zip for reading; null when they are none. The bytes must outlive it.
inline ArchiveHandle openZip(const std::uint8_t* data, std::size_t size) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (!source) return nullptr;
    ArchiveHandle archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) zip_source_free(source);
    zip_error_fini(&error);
    return archive;
}

// Whether an entry of the zip says it unpacks to more than `limit` bytes.
inline bool declaresEntryLargerThan(zip_t* archive, std::uint64_t limit) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        zip_stat_t stat;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
            (stat.valid & ZIP_STAT_SIZE) && stat.size > limit)
            return true;
    }
    return false;
}

}  // namespace fk::slicer::fuzz
