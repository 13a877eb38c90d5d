#include "ZipArchive.h"

#include "files/RegularFile.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

namespace fk::slicer {

namespace {

using Kind = PackageError::Kind;

std::string mebibytes(std::uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

std::string errorText(zip_error_t& error) {
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// The only place a zip package is opened for reading. Takes the source over, also on failure.
ArchiveHandle openSource(zip_source_t* source, bool checkConsistency) {
    zip_error_t error;
    zip_error_init(&error);
    ArchiveHandle archive(
        zip_open_from_source(source, ZIP_RDONLY | (checkConsistency ? ZIP_CHECKCONS : 0), &error));
    if (!archive) {
        zip_source_free(source);
        throw PackageError(Kind::NotAPackage, errorText(error));
    }
    zip_error_fini(&error);
    return archive;
}

}  // namespace

PackageReader::PackageReader(std::unique_ptr<Archive> archive) : archive_(std::move(archive)) {}
PackageReader::~PackageReader() = default;
PackageReader::PackageReader(PackageReader&&) noexcept = default;
PackageReader& PackageReader::operator=(PackageReader&&) noexcept = default;

PackageReader PackageReader::open(const std::filesystem::path& path, PackageReadOptions options) {
    std::string why;
    std::optional<files::RegularFile> file = files::RegularFile::open(path, options.links, why);
    if (!file) throw PackageError(Kind::Unreadable, why);
    const int descriptor = file->release();
    FILE* stream = ::fdopen(descriptor, "rb");
    if (!stream) {
        ::close(descriptor);
        throw PackageError(Kind::Unreadable, "cannot be read");
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_filep_create(stream, 0, -1, &error);
    if (!source) {
        std::fclose(stream);
        throw PackageError(Kind::Unreadable, errorText(error));
    }
    zip_error_fini(&error);
    auto archive = std::make_unique<Archive>();
    archive->handle = openSource(source, options.checkConsistency);
    return PackageReader(std::move(archive));
}

PackageReader PackageReader::inMemory(std::shared_ptr<const std::string> bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes->data(), bytes->size(), 0, &error);
    if (!source) throw PackageError(Kind::NotAPackage, errorText(error));
    zip_error_fini(&error);
    auto archive = std::make_unique<Archive>();
    archive->handle = openSource(source, false);
    archive->bytes = std::move(bytes);
    return PackageReader(std::move(archive));
}

std::size_t PackageReader::entryCount() const {
    const zip_int64_t count = zip_get_num_entries(archive_->handle.get(), 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::optional<std::uint64_t> PackageReader::declaredSize(std::size_t index) const {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_->handle.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return std::nullopt;
    return stat.size;
}

std::string PackageReader::entryName(std::size_t index) const {
    const char* name = zip_get_name(archive_->handle.get(), index, 0);
    if (!name) throw PackageError(Kind::NotAPackage, zip_strerror(archive_->handle.get()));
    return name;
}

std::optional<std::size_t> PackageReader::find(std::string_view name) const {
    const std::string wanted(name);
    const zip_int64_t index = zip_name_locate(archive_->handle.get(), wanted.c_str(), 0);
    if (index < 0) return std::nullopt;
    return static_cast<std::size_t>(index);
}

template <typename Sink>
void PackageReader::stream(std::size_t index, std::uint64_t maxBytes, Sink&& sink) {
    zip_t* archive = archive_->handle.get();
    const std::string name = entryName(index);
    const auto tooLarge = [&] {
        return PackageError(Kind::TooLarge, name + " is larger than " + mebibytes(maxBytes));
    };
    const auto packageTooLarge = [&] {
        return PackageError(Kind::TooLarge, "the package holds more than " + mebibytes(kMaxPackageBytes));
    };
    // A declared size is believed only when it refuses the entry: an entry that claims more than the
    // caps is not worth reading, while one that claims little is still counted as it arrives.
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
        if (stat.size > maxBytes) throw tooLarge();
        if (stat.size > kMaxPackageBytes - bytesRead_) throw packageTooLarge();
    }
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen_index(archive, index, 0),
                                                                 zip_fclose);
    if (!file) throw PackageError(Kind::DamagedEntry, name + ": " + zip_strerror(archive));
    std::uint64_t entryBytes = 0;
    char buffer[64 * 1024];
    for (;;) {
        // Reading on to the end makes the library compare the entry with its checksum.
        const zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
        if (got < 0) throw PackageError(Kind::DamagedEntry, name + ": " + zip_file_strerror(file.get()));
        if (got == 0) return;
        const auto count = static_cast<std::uint64_t>(got);
        if (count > maxBytes - entryBytes) throw tooLarge();
        if (count > kMaxPackageBytes - bytesRead_) throw packageTooLarge();
        entryBytes += count;
        bytesRead_ += count;
        sink(buffer, static_cast<std::size_t>(count));
    }
}

std::string PackageReader::read(std::size_t index, std::uint64_t maxBytes) {
    std::string bytes;
    stream(index, maxBytes, [&bytes](const char* data, std::size_t size) { bytes.append(data, size); });
    return bytes;
}

void PackageReader::verify(std::size_t index, std::uint64_t maxBytes) {
    stream(index, maxBytes, [](const char*, std::size_t) {});
}

}  // namespace fk::slicer
