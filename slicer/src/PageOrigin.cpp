#include "slicer/PageOrigin.h"

#include "slicer/PackageReader.h"

#include <pugixml.hpp>

#include <sstream>

namespace fk::slicer {

namespace {

constexpr std::uint64_t kMaxMetaBytes = std::uint64_t{1} << 20;
constexpr const char* kOfficeNamespace = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr const char* kMetaNamespace = "urn:oasis:names:tc:opendocument:xmlns:meta:1.0";

pugi::xml_node originProperty(pugi::xml_node meta) {
    for (pugi::xml_node property : meta.children("meta:user-defined")) {
        if (kPageOriginProperty == property.attribute("meta:name").value()) return property;
    }
    return {};
}

}  // namespace

std::string WithPageOrigin(std::string_view meta, std::string_view documentName) {
    pugi::xml_document document;
    if (!document.load_buffer(meta.data(), meta.size(), pugi::parse_default | pugi::parse_ws_pcdata))
        document.reset();
    pugi::xml_node root = document.child("office:document-meta");
    if (!root) {
        // The office always writes one; a package without is given a minimal one.
        document.reset();
        pugi::xml_node declaration = document.append_child(pugi::node_declaration);
        declaration.append_attribute("version") = "1.0";
        declaration.append_attribute("encoding") = "UTF-8";
        root = document.append_child("office:document-meta");
        root.append_attribute("xmlns:office") = kOfficeNamespace;
        root.append_attribute("xmlns:meta") = kMetaNamespace;
        root.append_attribute("office:version") = "1.3";
    }
    if (!root.attribute("xmlns:meta")) root.append_attribute("xmlns:meta") = kMetaNamespace;
    pugi::xml_node fields = root.child("office:meta");
    if (!fields) fields = root.append_child("office:meta");
    pugi::xml_node property = originProperty(fields);
    if (!property) {
        property = fields.append_child("meta:user-defined");
        property.append_attribute("meta:name") = std::string(kPageOriginProperty).c_str();
        property.append_attribute("meta:value-type") = "string";
    }
    property.text().set(std::string(documentName).c_str());
    std::ostringstream out;
    document.save(out, "", pugi::format_raw);
    return out.str();
}

std::optional<std::string> PageOriginIn(std::string_view meta) {
    pugi::xml_document document;
    if (!document.load_buffer(meta.data(), meta.size())) return std::nullopt;
    const pugi::xml_node property =
        originProperty(document.child("office:document-meta").child("office:meta"));
    if (!property) return std::nullopt;
    return std::string(property.text().get());
}

std::optional<std::string> PageOriginOf(const std::filesystem::path& path) {
    try {
        PackageReader package = PackageReader::open(path);
        const std::optional<std::size_t> meta = package.find("meta.xml");
        if (!meta) return std::nullopt;
        return PageOriginIn(package.read(*meta, kMaxMetaBytes));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace fk::slicer
