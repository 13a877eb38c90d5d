#include "PackageManifest.h"

#include "slicer/SliceError.h"

#include <pugixml.hpp>

#include <sstream>
#include <string>

namespace fk::slicer {

namespace {
constexpr const char* kTextMediaType = "application/vnd.oasis.opendocument.text";
constexpr std::string_view kManifestNamespace = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";

// The namespace an element's name is in, from the declarations on it and its ancestors.
std::string_view namespaceOf(pugi::xml_node element) {
    const std::string_view name = element.name();
    const std::size_t colon = name.find(':');
    const std::string declaration =
        colon == std::string_view::npos ? "xmlns" : "xmlns:" + std::string(name.substr(0, colon));
    for (pugi::xml_node scope = element; scope; scope = scope.parent())
        if (const pugi::xml_attribute bound = scope.attribute(declaration.c_str())) return bound.value();
    return {};
}

std::string_view localName(pugi::xml_node element) {
    const std::string_view name = element.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool holdsEncryptionData(const pugi::xml_node root) {
    for (pugi::xml_node entry : root.children())
        for (pugi::xml_node part : entry.children())
            if (localName(part) == "encryption-data" && namespaceOf(part) == kManifestNamespace) return true;
    return false;
}

std::string guessedMediaType(std::string_view name) {
    const auto endsWith = [&](std::string_view suffix) { return name.ends_with(suffix); };
    if (endsWith(".xml")) return "text/xml";
    if (endsWith(".png")) return "image/png";
    if (endsWith(".jpg") || endsWith(".jpeg")) return "image/jpeg";
    if (endsWith(".gif")) return "image/gif";
    if (endsWith(".svg")) return "image/svg+xml";
    if (endsWith(".rdf")) return "application/rdf+xml";
    return "application/octet-stream";
}
}  // namespace

PackageManifest::PackageManifest(std::string_view manifestXml) {
    if (manifestXml.empty()) return;
    pugi::xml_document document;
    if (!document.load_buffer(manifestXml.data(), manifestXml.size()))
        throw SliceError("The package manifest is damaged");
    const pugi::xml_node root = document.child("manifest:manifest");
    version_ = root.attribute("manifest:version").as_string();
    if (holdsEncryptionData(document.document_element())) throw SliceError("The package is encrypted");
    for (pugi::xml_node entry : root.children("manifest:file-entry")) {
        mediaTypes_[entry.attribute("manifest:full-path").as_string()] =
            entry.attribute("manifest:media-type").as_string();
    }
}

bool PackageManifest::declaresEncryption(std::string_view manifestXml) {
    pugi::xml_document document;
    return document.load_buffer(manifestXml.data(), manifestXml.size()) &&
           holdsEncryptionData(document.document_element());
}

std::string PackageManifest::mediaTypeOf(const std::string& entryName) const {
    const auto found = mediaTypes_.find(entryName);
    return found != mediaTypes_.end() ? found->second : guessedMediaType(entryName);
}

std::string PackageManifest::render(const std::vector<std::string>& entryNames) const {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node root = document.append_child("manifest:manifest");
    root.append_attribute("xmlns:manifest").set_value("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
    if (!version_.empty()) root.append_attribute("manifest:version").set_value(version_.c_str());

    const auto addEntry = [&](const std::string& path, const std::string& mediaType, bool withVersion) {
        pugi::xml_node entry = root.append_child("manifest:file-entry");
        entry.append_attribute("manifest:full-path").set_value(path.c_str());
        if (withVersion && !version_.empty())
            entry.append_attribute("manifest:version").set_value(version_.c_str());
        entry.append_attribute("manifest:media-type").set_value(mediaType.c_str());
    };
    addEntry("/", kTextMediaType, true);
    // Folders the input lists (embedded objects carry their own media type) when the output keeps
    // something in them.
    for (const auto& [path, mediaType] : mediaTypes_) {
        if (path == "/" || !path.ends_with('/')) continue;
        for (const std::string& name : entryNames)
            if (name.starts_with(path)) {
                addEntry(path, mediaType, false);
                break;
            }
    }
    for (const std::string& name : entryNames)
        if (name != "mimetype" && name != "META-INF/manifest.xml") addEntry(name, mediaTypeOf(name), false);

    std::ostringstream text;
    document.save(text, "", pugi::format_raw, pugi::encoding_utf8);
    return text.str();
}

}  // namespace fk::slicer
