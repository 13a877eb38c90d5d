#include "PackageArchive.h"

#include "files/RegularFile.h"
#include "ZipArchive.h"
#include "files/StagedFile.h"

#include <memory>
#include <system_error>

namespace fk::slicer {

namespace fs = std::filesystem;

std::vector<PackageEntry> PackageArchive::read(const fs::path& package) {
    const std::string failure = "Cannot read " + package.string() + ": ";
    std::string why;
    std::optional<files::RegularFile> file = files::RegularFile::open(package, files::Links::Follow, why);
    if (!file) throw PackageError(PackageError::Kind::Unreadable, failure + why);
    if (file->size() > PackageReader::kMaxPackageBytes)
        throw PackageError(
            PackageError::Kind::TooLarge,
            failure + "larger than " + std::to_string(PackageReader::kMaxPackageBytes >> 20) + " MiB");
    std::optional<std::string> read = file->readUpTo(PackageReader::kMaxPackageBytes);
    if (!read) throw PackageError(PackageError::Kind::Unreadable, failure + "the file system refused it");
    const auto bytes = std::make_shared<const std::string>(std::move(*read));

    std::vector<PackageEntry> entries;
    try {
        PackageReader reader = PackageReader::inMemory(bytes);
        for (std::size_t index = 0; index < reader.entryCount(); ++index) {
            std::string name = reader.entryName(index);
            if (name.empty() || name.back() == '/') continue;  // folders are implied by the files in them
            std::string data = reader.read(index);
            entries.push_back({std::move(name), std::move(data), bytes, index});
        }
    } catch (const PackageError& error) {
        throw PackageError(error.kind(), failure + error.what());
    }
    return entries;
}

namespace {

// The whole package, built in memory: libzip writes a file package through a temporary file of its
// own, which costs a second file and rename for every page.
// The first entry is stored uncompressed when it is the package's type.
std::string packageBytes(const std::vector<const PackageEntry*>& entries, const std::string& failure,
                         bool typeFirst = true) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) throw SliceError(failure + zip_error_strerror(&error));
    zip_source_keep(buffer);  // read back after the archive is closed
    const std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> kept(buffer, zip_source_free);
    ArchiveHandle archive(zip_open_from_source(buffer, ZIP_TRUNCATE, &error));
    if (!archive) throw SliceError(failure + zip_error_strerror(&error));

    // The packages that entries are taken over from stay open until the new one is closed.
    std::vector<std::pair<const std::string*, PackageReader>> sources;
    auto sourceArchive = [&](const std::shared_ptr<const std::string>& bytes) -> zip_t* {
        for (const auto& [known, open] : sources)
            if (known == bytes.get()) return ArchiveAccess::of(open);
        try {
            return ArchiveAccess::of(
                sources.emplace_back(bytes.get(), PackageReader::inMemory(bytes)).second);
        } catch (const PackageError& sourceError) {
            throw SliceError(failure + sourceError.what());
        }
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackageEntry& entry = *entries[i];
        // The package's type comes first and uncompressed, so that it can be read at a fixed offset.
        const bool first = typeFirst && i == 0;
        zip_t* from = entry.storedIn && !first ? sourceArchive(entry.storedIn) : nullptr;
        zip_source_t* source =
            from ? zip_source_zip(archive.get(), from, entry.storedAt, ZIP_FL_COMPRESSED, 0, -1)
                 : zip_source_buffer(archive.get(), entry.data.data(), entry.data.size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive.get(), entry.name.c_str(), source, 0) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            throw SliceError(failure + zip_strerror(archive.get()));
        }
        // An entry taken over keeps its method: compressed stays as it is, stored (a picture) stays stored.
        zip_int32_t method = first ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
        if (from) {
            zip_stat_t stat;
            method = zip_stat_index(from, entry.storedAt, 0, &stat) == 0 &&
                             (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_STORE
                         ? ZIP_CM_STORE
                         : ZIP_CM_DEFAULT;
        }
        if (method != ZIP_CM_DEFAULT) zip_set_file_compression(archive.get(), index, method, 0);
    }
    if (zip_close(archive.get()) != 0) throw SliceError(failure + zip_strerror(archive.get()));
    archive.release();
    sources.clear();

    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0)
        throw SliceError(failure + zip_error_strerror(zip_source_error(buffer)));
    std::string bytes(stat.size, '\0');
    const zip_int64_t got = zip_source_read(buffer, bytes.data(), bytes.size());
    zip_source_close(buffer);
    if (got != static_cast<zip_int64_t>(bytes.size()))
        throw SliceError(failure + "the package could not be read back");
    return bytes;
}

}  // namespace

std::string PackageArchive::bytesAsStored(const std::vector<const PackageEntry*>& entries) {
    return packageBytes(entries, "Cannot compress the entries every page carries: ", false);
}

PackageEntry PackageArchive::storedAlone(PackageEntry entry) {
    entry.storedIn.reset();
    entry.storedIn = std::make_shared<const std::string>(
        packageBytes({&entry}, "Cannot compress " + entry.name + ": ", false));
    entry.storedAt = 0;
    return entry;
}

PackageEntry RepeatedEntries::share(PackageEntry entry) {
    const std::size_t key = std::hash<std::string>{}(entry.data);
    const std::lock_guard lock(mutex_);
    if (const auto found = shared_.find(key); found != shared_.end()) {
        if (found->second.name == entry.name && found->second.data == entry.data) return found->second;
        return entry;
    }
    if (shared_.size() >= kMaxShared) return entry;
    if (seen_.size() >= kMaxSeen) seen_.clear();
    if (++seen_[key] < 2) return entry;
    seen_.erase(key);
    return shared_.emplace(key, PackageArchive::storedAlone(std::move(entry))).first->second;
}

std::string PackageArchive::bytes(const std::vector<const PackageEntry*>& entries) {
    return packageBytes(entries, "Cannot make the page package: ");
}

void PackageArchive::write(const fs::path& target, const std::vector<const PackageEntry*>& entries) {
    const std::string failure = "Cannot write " + target.string() + ": ";
    const std::string bytes = packageBytes(entries, failure);
    for (int attempt = 0;; ++attempt) {
        files::StagedFile staged(target);
        try {
            staged.reserve();
        } catch (const std::system_error& error) {
            // Someone else's file at a name of ours: another name is tried.
            if (error.code() == std::errc::file_exists && attempt < 15) continue;
            throw SliceError(failure + error.code().message(), error.code());
        }
        try {
            staged.write(bytes);
            staged.commit();
            return;
        } catch (const std::system_error& error) {
            throw SliceError(failure + error.code().message(), error.code());
        }
    }
}

}  // namespace fk::slicer
