#include "PageModel.h"

#include <cstdlib>
#include <cstring>

#include <tinyxml.h>

#include "SensorXml.h"

namespace {

using nlohmann::json;

std::string text(const TiXmlElement& element, const char* name)
{
    const char* value = element.Attribute(name);
    return value != nullptr ? value : "";
}

json itemOf(const TiXmlElement& element)
{
    json item = {{"id", std::atoi(element.Attribute("id"))}, {"name", text(element, "name")}, {"type", text(element, "type")}};
    if (storesValue(item)) item["default"] = std::atoi(text(element, "value").c_str());
    if (element.Attribute("min") != nullptr) item["min"] = std::atoi(element.Attribute("min"));
    if (element.Attribute("max") != nullptr) item["max"] = std::atoi(element.Attribute("max"));
    json options = json::array();
    for (const TiXmlElement* option = element.FirstChildElement(); option != nullptr;
         option = option->NextSiblingElement()) {
        if (option->Attribute("index") == nullptr) continue;
        options.push_back({{"index", std::atoi(option->Attribute("index"))}, {"text", text(*option, "text")}});
    }
    if (!options.empty()) item["options"] = options;
    return item;
}

void collectItems(const TiXmlElement& element, json& items)
{
    if (element.Attribute("id") != nullptr) {
        if (text(element, "type") != "hidden") items.push_back(itemOf(element));
        return;
    }
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        collectItems(*child, items);
    }
}

} // namespace

json pageTabs(const std::string& dynamicStyle)
{
    json tabs = json::array();
    TiXmlDocument document;
    if (!LoadMem(document, dynamicStyle.c_str(), TIXML_ENCODING_UTF8) || document.RootElement() == nullptr) return tabs;
    for (const TiXmlElement* tab = document.RootElement()->FirstChildElement(); tab != nullptr;
         tab = tab->NextSiblingElement()) {
        json items = json::array();
        collectItems(*tab, items);
        tabs.push_back({{"key", text(*tab, "key")}, {"name", text(*tab, "name")}, {"items", items}});
    }
    return tabs;
}

bool storesValue(const json& item)
{
    return item["type"] != "button";
}

std::string refusedValue(const json& item, int value)
{
    const std::string what =
        "value " + std::to_string(value) + " of " + item["name"].get<std::string>() + " (" + item["id"].dump() + ")";
    if (item.contains("min") && item.contains("max") && (value < item["min"] || value > item["max"])) {
        return what + " is outside " + item["min"].dump() + ".." + item["max"].dump();
    }
    if (!item.contains("options")) return "";
    std::string offered;
    for (const json& option : item["options"]) {
        if (option["index"] == value) return "";
        offered += (offered.empty() ? "" : ", ") + option["index"].dump() + " (" + option["text"].get<std::string>() + ")";
    }
    return what + " is not one of its options: " + offered;
}

std::map<int, json> pageItems(const json& tabs)
{
    std::map<int, json> items;
    for (const json& tab : tabs) {
        for (const json& item : tab["items"]) items.emplace(item["id"].get<int>(), item);
    }
    return items;
}
