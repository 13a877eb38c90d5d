#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fk::slicer {

// META-INF/manifest.xml: the media types of the input's entries, and a fresh manifest for an output
// that lists exactly what the output holds (the office refuses a package with unlisted entries).
class PackageManifest {
public:
    // Throws SliceError for an encrypted package or a manifest that is not XML. Empty text is allowed.
    explicit PackageManifest(std::string_view manifestXml);

    // Whether the manifest gives any entry encryption data: the package was saved with a password.
    // False for text that is not a manifest.
    static bool declaresEncryption(std::string_view manifestXml);

    std::string render(const std::vector<std::string>& entryNames) const;

private:
    std::string mediaTypeOf(const std::string& entryName) const;

    std::map<std::string, std::string> mediaTypes_;
    std::string version_;
};

}  // namespace fk::slicer
