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
    json item = {{"id", std::atoi(element.Attribute("id"))},
                 {"name", text(element, "name")},
                 {"type", text(element, "type")},
                 {"value", std::atoi(text(element, "value").c_str())}};
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

std::set<int> pageKeys(const json& tabs)
{
    std::set<int> keys;
    for (const json& tab : tabs) {
        for (const json& item : tab["items"]) keys.insert(item["id"].get<int>());
    }
    return keys;
}
