#include "cli/OfficeProfileSettings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <pugixml.hpp>
#include <sstream>

namespace fk::cli {

namespace {

// The installation's configuration is a couple of MiB; anything far larger is not the office's.
constexpr qint64 kMaxInstalledConfigurationBytes = 64 << 20;

constexpr const char* kEmptyFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
    "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "</oor:items>\n";

bool holds(const pugi::xml_node& item, const OfficeSetting& setting) {
    return item.attribute("oor:path").value() == setting.path &&
           item.find_child_by_attribute("prop", "oor:name", setting.name.c_str());
}

// Whether the items already give the setting its value, and nothing else.
bool isSet(const pugi::xml_node& items, const OfficeSetting& setting) {
    int found = 0;
    bool same = true;
    for (const pugi::xml_node& item : items.children("item")) {
        if (!holds(item, setting)) continue;
        ++found;
        const pugi::xml_node property =
            item.find_child_by_attribute("prop", "oor:name", setting.name.c_str());
        same = same && property.child("value").text().get() == setting.value;
    }
    return found == 1 && same;
}

void set(pugi::xml_node items, const OfficeSetting& setting) {
    for (pugi::xml_node item = items.child("item"); item;) {
        const pugi::xml_node next = item.next_sibling("item");
        if (holds(item, setting)) {
            item.remove_child(item.find_child_by_attribute("prop", "oor:name", setting.name.c_str()));
            if (!item.first_child()) items.remove_child(item);
        }
        item = next;
    }
    pugi::xml_node item = items.append_child("item");
    item.append_attribute("oor:path") = setting.path.c_str();
    pugi::xml_node property = item.append_child("prop");
    property.append_attribute("oor:name") = setting.name.c_str();
    property.append_attribute("oor:op") = "fuse";
    property.append_child("value").text() = setting.value.c_str();
}

}  // namespace

QString WriteEmptyWriterStatusBar(const QString& profileFolder) {
    static constexpr char kEmptyStatusBar[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<statusbar:statusbar xmlns:statusbar=\"http://openoffice.org/2001/statusbar\" "
        "xmlns:xlink=\"http://www.w3.org/1999/xlink\"/>\n";
    const QString folder = profileFolder + QStringLiteral("/user/config/soffice.cfg/modules/swriter/statusbar");
    const QString path = folder + QStringLiteral("/statusbar.xml");
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == kEmptyStatusBar) return {};
    QDir().mkpath(folder);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(kEmptyStatusBar, static_cast<qint64>(sizeof kEmptyStatusBar - 1)) < 0 || !file.commit())
        return path + QStringLiteral(": ") + file.errorString();
    return {};
}

std::vector<OfficeSetting> UnattendedOfficeSettings(const QString& programFolder) {
    std::vector<OfficeSetting> settings{
        {"/org.openoffice.Office.Linguistic/SpellChecking", "IsSpellAuto", "false"},
        {"/org.openoffice.Office.Writer/AutoFunction/Completion", "CollectWords", "false"},
    };
    if (std::optional<std::string> version = InstalledOfficeVersion(programFolder))
        settings.push_back({"/org.openoffice.Setup/Product", "ooSetupLastVersion", std::move(*version)});
    return settings;
}

std::optional<std::string> InstalledOfficeVersion(const QString& programFolder) {
    QFile file(programFolder + QStringLiteral("/../share/registry/main.xcd"));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxInstalledConfigurationBytes) return {};
    const QByteArray text = file.readAll();
    // Looked for rather than parsed: parsing the whole file took 11 ms of every run. The value is the
    // one of <prop oor:name="ooSetupVersion"><value>7.4</value>; the schema's declaration of the
    // property carries more attributes and so does not match.
    static constexpr QByteArrayView kProperty = "<prop oor:name=\"ooSetupVersion\">";
    for (qsizetype at = text.indexOf(kProperty); at >= 0; at = text.indexOf(kProperty, at + 1)) {
        const qsizetype end = text.indexOf("</prop>", at);
        const QByteArray property = text.mid(at, end < 0 ? 0 : end - at);
        const qsizetype open = property.indexOf("<value>");
        const qsizetype close = property.indexOf("</value>");
        if (open < 0 || close < open) continue;
        const std::string value = property.mid(open + 7, close - open - 7).trimmed().toStdString();
        if (!value.empty() && value.size() < 16 &&
            value.find_first_not_of("0123456789.") == std::string::npos)
            return value;
    }
    return {};
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
