#include "LiftedObjects.h"

#include <array>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fk::slicer {

namespace {

// Less than this is the office rounding a position of zero, not a lift.
constexpr double kLeastLiftCm = 0.01;

// An ODF length ("-1.09in", "2.5cm", "12pt") in centimetres; nothing for another unit or no number.
std::optional<double> centimetres(std::string_view length) {
    double number = 0;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), number);
    if (error != std::errc()) return std::nullopt;
    static constexpr std::array<std::pair<std::string_view, double>, 6> kUnits{
        {{"cm", 1.0}, {"mm", 0.1}, {"in", 2.54}, {"pt", 2.54 / 72}, {"pc", 2.54 / 6}, {"px", 2.54 / 96}}};
    const std::string_view unit(end, static_cast<size_t>(length.data() + length.size() - end));
    for (const auto& [name, size] : kUnits)
        if (unit == name) return number * size;
    return std::nullopt;
}

bool isAnchoredToText(pugi::xml_node node) {
    const std::string_view anchor = node.attribute("text:anchor-type").value();
    return anchor == "paragraph" || anchor == "char";
}

std::string graphicProperty(const OutputStyles& styles, pugi::xml_node object, std::string_view attribute) {
    return styles.inheritedProperty("graphic", object.attribute("draw:style-name").value(),
                                    "style:graphic-properties", attribute);
}

bool isLifted(pugi::xml_node object, const OutputStyles& styles) {
    if (!isAnchoredToText(object) || !object.attribute("draw:style-name")) return false;
    // Aligned with the top of its paragraph, an object stands at zero; below zero is the lift.
    const std::optional<double> y = centimetres(object.attribute("svg:y").value());
    if (!y || *y > -kLeastLiftCm) return false;
    const std::string relation = graphicProperty(styles, object, "style:vertical-rel");
    // Only unwrapped objects are known to be drawn over the text when lifted.
    return graphicProperty(styles, object, "style:vertical-pos") == "top" &&
           (relation == "paragraph" || relation == "paragraph-content") &&
           graphicProperty(styles, object, "style:wrap") == "none";
}

}  // namespace

void LiftedObjects::drawOverText(pugi::xml_node outputText, OutputStyles& styles) {
    std::vector<pugi::xml_node> lifted;
    for (const pugi::xpath_node found : outputText.select_nodes(".//*[@text:anchor-type][@svg:y]"))
        if (isLifted(found.node(), styles)) lifted.push_back(found.node());
    for (pugi::xml_node object : lifted) {
        pugi::xml_node style = styles.derive("graphic", object.attribute("draw:style-name").value());
        styles.setProperty(style, "style:graphic-properties", "style:wrap", "run-through");
        object.attribute("draw:style-name").set_value(style.attribute("style:name").value());
    }
}

}  // namespace fk::slicer
