#pragma once

#include <zip.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fk::slicer {

// Writes and reads small zip packages for the tests.
class TestPackage {
public:
    struct Entry {
        std::string name;
        std::string data;
        bool stored = false;
    };

    // The mimetype, and the entries named in `stored`, are stored uncompressed; the rest deflated.
    static void write(const std::filesystem::path& path,
                      const std::vector<std::pair<std::string, std::string>>& entries,
                      const std::set<std::string>& stored = {}) {
        int error = 0;
        zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        for (const auto& [name, data] : entries) {
            zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
            const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
            zip_set_file_compression(
                archive, index, name == "mimetype" || stored.contains(name) ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                0);
        }
        zip_close(archive);
    }

    static std::vector<Entry> read(const std::filesystem::path& path) {
        std::vector<Entry> entries;
        int error = 0;
        zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
        if (!archive) return entries;
        for (zip_int64_t index = 0; index < zip_get_num_entries(archive, 0); ++index) {
            zip_stat_t stat;
            zip_stat_index(archive, index, 0, &stat);
            std::string data(stat.size, '\0');
            zip_file_t* file = zip_fopen_index(archive, index, 0);
            zip_fread(file, data.data(), data.size());
            zip_fclose(file);
            entries.push_back({stat.name, data, stat.comp_method == ZIP_CM_STORE});
        }
        zip_discard(archive);
        return entries;
    }

    static std::map<std::string, std::string> contents(const std::filesystem::path& path) {
        std::map<std::string, std::string> byName;
        for (const Entry& entry : read(path)) byName[entry.name] = entry.data;
        return byName;
    }
};

}  // namespace fk::slicer
