#pragma once

#include "slicer/PackageReader.h"

#include <zip.h>

#include <memory>
#include <string>

namespace fk::slicer {

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveDiscarder>;

// The open archive behind a PackageReader, with the bytes it reads when it reads from memory.
struct PackageReader::Archive {
    ArchiveHandle handle;
    std::shared_ptr<const std::string> bytes;
};

// The archive a reader has open, for a writer that takes its entries over as they are compressed.
struct ArchiveAccess {
    static zip_t* of(const PackageReader& reader) { return reader.archive_->handle.get(); }
};

}  // namespace fk::slicer
