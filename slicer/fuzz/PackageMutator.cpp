// How the fuzzer changes its inputs. Most changes to a package's bytes break an entry's checksum, and
// the slicer refuses the package before it parses any XML. So half of the changes are made to the data
// of one entry (an XML one more often than not) and the package is written anew around it, with a
// checksum that fits; the other half change the bytes as they are, for the zip reading.
#include "InMemoryZip.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

struct Entry {
    std::string name;
    std::string data;
};

using fk::slicer::fuzz::ArchiveHandle;

// The package's entries; none when it is not a zip whose entries all read, each no larger than the
// input may grow (a larger declared size is no package the mutation could keep).
std::vector<Entry> readEntries(const std::uint8_t* data, std::size_t size, std::size_t maxSize) {
    const ArchiveHandle archive = fk::slicer::fuzz::openZip(data, size);
    if (!archive || fk::slicer::fuzz::declaresEntryLargerThan(archive.get(), maxSize)) return {};
    std::vector<Entry> entries;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
            !(stat.valid & ZIP_STAT_SIZE))
            return {};
        const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen_index(archive.get(), index, 0),
                                                                     zip_fclose);
        if (!file) return {};
        std::string bytes(stat.size, '\0');
        if (zip_fread(file.get(), bytes.data(), bytes.size()) != static_cast<zip_int64_t>(bytes.size()))
            return {};
        entries.push_back({stat.name, std::move(bytes)});
    }
    return entries;
}

// The entries as a new package, the first one (the mimetype) stored, the others deflated; empty when
// it cannot be written.
std::string packageOf(const std::vector<Entry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) return {};
    zip_source_keep(buffer);
    const std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> kept(buffer, zip_source_free);
    ArchiveHandle archive(zip_open_from_source(buffer, ZIP_TRUNCATE, &error));
    if (!archive) return {};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        zip_source_t* source =
            zip_source_buffer(archive.get(), entries[i].data.data(), entries[i].data.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive.get(), entries[i].name.c_str(), source, ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            return {};
        }
        zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index),
                                 i == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(archive.get()) != 0) return {};
    archive.release();
    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0) return {};
    std::string bytes(stat.size, '\0');
    const zip_int64_t got = zip_source_read(buffer, bytes.data(), bytes.size());
    zip_source_close(buffer);
    return got == static_cast<zip_int64_t>(bytes.size()) ? bytes : std::string();
}

bool isXml(const Entry& entry) {
    return entry.name.size() > 4 && entry.name.compare(entry.name.size() - 4, 4, ".xml") == 0;
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    std::minstd_rand random(seed);
    if (random() % 2 == 0) return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<Entry> entries = readEntries(data, size, maxSize);
    if (entries.empty()) return LLVMFuzzerMutate(data, size, maxSize);

    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].data.empty() && (isXml(entries[i]) || random() % 4 == 0)) candidates.push_back(i);
    if (candidates.empty()) return LLVMFuzzerMutate(data, size, maxSize);
    std::string& chosen = entries[candidates[random() % candidates.size()]].data;
    const std::size_t length = chosen.size();
    chosen.resize(length + 64 + length / 8);
    chosen.resize(LLVMFuzzerMutate(reinterpret_cast<std::uint8_t*>(chosen.data()), length, chosen.size()));

    const std::string package = packageOf(entries);
    if (package.empty() || package.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, package.data(), package.size());
    return package.size();
}
