#include "cli/OfficeProfileSettings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <array>
#include <cstring>
#include <pugixml.hpp>
#include <sstream>

namespace fk::cli {

namespace {

constexpr std::array kUnattended{
    OfficeSetting{"/org.openoffice.Office.Linguistic/SpellChecking", "IsSpellAuto", "false"},
    OfficeSetting{"/org.openoffice.Office.Writer/AutoFunction/Completion", "CollectWords", "false"},
};

constexpr const char* kEmptyFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
    "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "</oor:items>\n";

bool holds(const pugi::xml_node& item, const OfficeSetting& setting) {
    return std::strcmp(item.attribute("oor:path").value(), setting.path) == 0 &&
           item.find_child_by_attribute("prop", "oor:name", setting.name);
}

// Whether the items already give the setting its value, and nothing else.
bool isSet(const pugi::xml_node& items, const OfficeSetting& setting) {
    int found = 0;
    bool same = true;
    for (const pugi::xml_node& item : items.children("item")) {
        if (!holds(item, setting)) continue;
        ++found;
        const pugi::xml_node property = item.find_child_by_attribute("prop", "oor:name", setting.name);
        same = same && std::strcmp(property.child("value").text().get(), setting.value) == 0;
    }
    return found == 1 && same;
}

void set(pugi::xml_node items, const OfficeSetting& setting) {
    for (pugi::xml_node item = items.child("item"); item;) {
        const pugi::xml_node next = item.next_sibling("item");
        if (holds(item, setting)) {
            item.remove_child(item.find_child_by_attribute("prop", "oor:name", setting.name));
            if (!item.first_child()) items.remove_child(item);
        }
        item = next;
    }
    pugi::xml_node item = items.append_child("item");
    item.append_attribute("oor:path") = setting.path;
    pugi::xml_node property = item.append_child("prop");
    property.append_attribute("oor:name") = setting.name;
    property.append_attribute("oor:op") = "fuse";
    property.append_child("value").text() = setting.value;
}

}  // namespace

std::span<const OfficeSetting> UnattendedOfficeSettings() {
    return kUnattended;
}

QString WriteOfficeSettings(const QString& profileFolder, std::span<const OfficeSetting> settings) {
    const QString path = profileFolder + QStringLiteral("/user/registrymodifications.xcu");
    QByteArray text = kEmptyFile;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) return path + QStringLiteral(": ") + existing.errorString();
        text = existing.readAll();
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(
        text.constData(), static_cast<size_t>(text.size()), pugi::parse_default | pugi::parse_declaration);
    pugi::xml_node items = document.child("oor:items");
    // A file the office cannot read either is its to replace; what it holds is not ours to lose.
    if (!parsed || !items) return path + QStringLiteral(": not the office's settings");
    bool changed = !existing.exists();
    for (const OfficeSetting& setting : settings) {
        if (isSet(items, setting)) continue;
        set(items, setting);
        changed = true;
    }
    if (!changed) return {};
    std::ostringstream out;
    document.save(out, "", pugi::format_raw);
    QDir().mkpath(profileFolder + QStringLiteral("/user"));
    QSaveFile file(path);
    const std::string bytes = out.str();
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0 || !file.commit())
        return path + QStringLiteral(": ") + file.errorString();
    return {};
}

}  // namespace fk::cli
