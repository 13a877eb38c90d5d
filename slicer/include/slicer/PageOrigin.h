#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace fk::slicer {

// Each page the slicer writes says in its metadata (meta.xml, a user-defined property) that it was cut
// by this program, and from which document (its file name), so that a later run over the folder can
// leave the program's own pages out.
inline constexpr std::string_view kPageOriginProperty = "Folioknife page of";

// `meta` (a package's meta.xml, or nothing) with the property set to `documentName`.
std::string WithPageOrigin(std::string_view meta, std::string_view documentName);

// The document a package's meta.xml names as the one it was cut from; none for any other package.
std::optional<std::string> PageOriginIn(std::string_view meta);

// The same for the package at `path`, reading no more than its meta.xml; none for anything that is not
// a readable package.
std::optional<std::string> PageOriginOf(const std::filesystem::path& path);

}  // namespace fk::slicer
