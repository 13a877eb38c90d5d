#include "PackageArchive.h"

#include "slicer/PackageSlicer.h"

#include <zip.h>

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

std::string openErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

std::string temporarySibling(const fs::path& target) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device random;
    std::string suffix;
    for (int i = 0; i < 12; ++i) suffix += kDigits[random() % 16];
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    return (folder / ("." + target.filename().string() + "." + suffix + ".part")).string();
}

}  // namespace

std::vector<PackageEntry> PackageArchive::read(const fs::path& package) {
    int openError = 0;
    ArchiveHandle archive(zip_open(package.c_str(), ZIP_RDONLY, &openError));
    if (!archive) throw SliceError("Cannot read " + package.string() + ": " + openErrorText(openError));

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
        entries.push_back({std::move(name), std::move(data)});
    }
    return entries;
}

void PackageArchive::write(const fs::path& target, const std::vector<const PackageEntry*>& entries) {
    const std::string failure = "Cannot write " + target.string() + ": ";
    std::string temporary;
    ArchiveHandle archive;
    for (int attempt = 0; attempt < 16 && !archive; ++attempt) {
        temporary = temporarySibling(target);
        int openError = 0;
        archive.reset(zip_open(temporary.c_str(), ZIP_CREATE | ZIP_EXCL, &openError));
        if (!archive && openError != ZIP_ER_EXISTS) throw SliceError(failure + openErrorText(openError));
    }
    if (!archive) throw SliceError(failure + "no free temporary name in its folder");

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackageEntry& entry = *entries[i];
        zip_source_t* source = zip_source_buffer(archive.get(), entry.data.data(), entry.data.size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive.get(), entry.name.c_str(), source, 0) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            throw SliceError(failure + zip_strerror(archive.get()));
        }
        zip_set_file_compression(archive.get(), index, i == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }

    // Nothing reaches the disk before zip_close, which writes its own temporary file and renames it to
    // `temporary` only when everything was written.
    if (zip_close(archive.get()) != 0) {
        const std::string reason = zip_strerror(archive.get());
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw SliceError(failure + reason);
    }
    archive.release();

    std::error_code renameError;
    fs::rename(temporary, target, renameError);
    if (renameError) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw SliceError(failure + renameError.message());
    }
}

}  // namespace fk::slicer
