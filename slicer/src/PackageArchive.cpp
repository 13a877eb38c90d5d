#include "PackageArchive.h"

#include "slicer/PackageSlicer.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>

#include <memory>
#include <random>
#include <system_error>

namespace fk::slicer {

namespace {

namespace fs = std::filesystem;

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveDiscarder>;

std::string temporarySibling(const fs::path& target) {
    static constexpr char kDigits[] = "0123456789abcdef";
    // Seeded once per thread: a random device for every page costs more than the page's name is worth.
    thread_local std::mt19937 random{std::random_device{}()};
    std::string suffix;
    for (int i = 0; i < 12; ++i) suffix += kDigits[random() % 16];
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    return (folder / ("." + target.filename().string() + "." + suffix + ".part")).string();
}

// Opens a package held in memory for reading; the bytes must outlive the archive.
ArchiveHandle openInMemory(const std::string& bytes, zip_error_t& error) {
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) return nullptr;
    ArchiveHandle archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) zip_source_free(source);
    return archive;
}

std::shared_ptr<const std::string> fileBytes(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    const int file = error ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        throw SliceError("Cannot read " + path.string() + ": " +
                         (error ? error : std::error_code(errno, std::generic_category())).message());
    auto bytes = std::make_shared<std::string>(size, '\0');
    std::size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t got = ::read(file, bytes->data() + done, bytes->size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    ::close(file);
    if (done != bytes->size()) throw SliceError("Cannot read " + path.string() + ": it changed while read");
    return bytes;
}

}  // namespace

std::vector<PackageEntry> PackageArchive::read(const fs::path& package) {
    const std::shared_ptr<const std::string> bytes = fileBytes(package);
    zip_error_t openError;
    zip_error_init(&openError);
    ArchiveHandle archive = openInMemory(*bytes, openError);
    if (!archive) throw SliceError("Cannot read " + package.string() + ": " + zip_error_strerror(&openError));

    std::vector<PackageEntry> entries;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME))
            throw SliceError("Cannot read " + package.string() + ": " + zip_strerror(archive.get()));
        std::string name = stat.name;
        if (name.empty() || name.back() == '/') continue;  // folders are implied by the files in them

        std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen_index(archive.get(), index, 0),
                                                               zip_fclose);
        if (!file)
            throw SliceError("Cannot read " + name + " in " + package.string() + ": " +
                             zip_strerror(archive.get()));
        std::string data(stat.valid & ZIP_STAT_SIZE ? stat.size : 0, '\0');
        zip_int64_t got = data.empty() ? 0 : zip_fread(file.get(), data.data(), data.size());
        // Reading on to the end makes the library check the entry's checksum.
        char probe;
        if (got == static_cast<zip_int64_t>(data.size()) && zip_fread(file.get(), &probe, 1) != 0) got = -1;
        if (got != static_cast<zip_int64_t>(data.size()))
            throw SliceError("Damaged entry " + name + " in " + package.string() + ": " +
                             zip_file_strerror(file.get()));
        entries.push_back({std::move(name), std::move(data), bytes, static_cast<std::uint64_t>(index)});
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
    std::vector<std::pair<const std::string*, ArchiveHandle>> sources;
    auto sourceArchive = [&](const std::string& bytes) -> zip_t* {
        for (const auto& [known, open] : sources)
            if (known == &bytes) return open.get();
        ArchiveHandle open = openInMemory(bytes, error);
        if (!open) throw SliceError(failure + zip_error_strerror(&error));
        return sources.emplace_back(&bytes, std::move(open)).second.get();
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackageEntry& entry = *entries[i];
        // The package's type comes first and uncompressed, so that it can be read at a fixed offset.
        const bool first = typeFirst && i == 0;
        zip_t* from = entry.storedIn && !first ? sourceArchive(*entry.storedIn) : nullptr;
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

// Writes the bytes to a new file that nobody else has: O_EXCL never opens an existing file or link.
void writeNewFile(const std::string& path, const std::string& bytes) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0) throw std::system_error(errno, std::generic_category());
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(file, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            const int reason = wrote < 0 ? errno : ENOSPC;
            ::close(file);
            throw std::system_error(reason, std::generic_category());
        }
        done += static_cast<std::size_t>(wrote);
    }
    // A full disk can show first when the file is closed.
    if (::close(file) != 0) throw std::system_error(errno, std::generic_category());
}

}  // namespace

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

void PackageArchive::write(const fs::path& target, const std::vector<const PackageEntry*>& entries) {
    const std::string failure = "Cannot write " + target.string() + ": ";
    const std::string bytes = packageBytes(entries, failure);
    std::string temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = temporarySibling(target);
        try {
            writeNewFile(temporary, bytes);
            break;
        } catch (const std::system_error& error) {
            std::error_code ignored;
            if (error.code() != std::errc::file_exists) fs::remove(temporary, ignored);
            if (error.code() != std::errc::file_exists || attempt == 15)
                throw SliceError(failure + error.code().message());
        }
    }
    // Only a complete package is renamed over the final name: a file or link there is replaced, never
    // written through.
    std::error_code renameError;
    fs::rename(temporary, target, renameError);
    if (renameError) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw SliceError(failure + renameError.message());
    }
}

}  // namespace fk::slicer
