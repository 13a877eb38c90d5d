#include "slicer/PackageInfo.h"

#include <zip.h>

#include <memory>
#include <string>

namespace fk::slicer {

bool IsEncryptedPackage(const std::filesystem::path& path) {
    int error = 0;
    const std::unique_ptr<zip_t, int (*)(zip_t*)> archive(zip_open(path.c_str(), ZIP_RDONLY, &error),
                                                          zip_close);
    if (!archive) return false;
    zip_stat_t stat;
    if (zip_stat(archive.get(), "META-INF/manifest.xml", 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return false;
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(
        zip_fopen(archive.get(), "META-INF/manifest.xml", 0), zip_fclose);
    if (!file) return false;
    std::string manifest(stat.size, '\0');
    if (zip_fread(file.get(), manifest.data(), manifest.size()) != static_cast<zip_int64_t>(manifest.size()))
        return false;
    return manifest.find("encryption-data") != std::string::npos;
}

}  // namespace fk::slicer
