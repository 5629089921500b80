#include "StyleLimits.h"

#include <tinyxml.h>

#include <algorithm>

namespace {

bool intAttribute(const TiXmlElement& element, const char* name, int& value)
{
    return element.QueryIntAttribute(name, &value) == TIXML_SUCCESS;
}

void readItem(const TiXmlElement& element, StyleItem& item)
{
    const char* name = element.Attribute("name");
    item.name = name != nullptr ? name : "";
    intAttribute(element, "value", item.defaultValue);
    item.ranged = intAttribute(element, "min", item.min) && intAttribute(element, "max", item.max);
    for (const TiXmlElement* option = element.FirstChildElement("option"); option != nullptr;
         option = option->NextSiblingElement("option")) {
        int index = 0;
        const char* text = option->Attribute("text");
        if (intAttribute(*option, "index", index)) item.options.emplace_back(index, text != nullptr ? text : "");
    }
}

// Items may sit at any depth (tabs, groups).
void collectItems(const TiXmlElement& parent, std::map<int, StyleItem>& items, std::vector<int>& order)
{
    for (const TiXmlElement* child = parent.FirstChildElement(); child != nullptr; child = child->NextSiblingElement()) {
        int key = 0;
        if (child->ValueStr() == "item" && intAttribute(*child, "id", key) && items.count(key) == 0) {
            readItem(*child, items[key]);
            order.push_back(key);
        }
        collectItems(*child, items, order);
    }
}

} // namespace

bool StyleItem::allows(int value) const
{
    if (ranged) return value >= min && value <= max;
    if (options.empty()) return true;
    return std::any_of(options.begin(), options.end(), [value](const auto& option) { return option.first == value; });
}

std::string StyleItem::describe() const
{
    if (ranged) return std::to_string(min) + ".." + std::to_string(max);
    std::string text;
    for (const auto& option : options) {
        if (!text.empty()) text += ' ';
        text += std::to_string(option.first) + "=" + option.second;
    }
    return text;
}

bool StyleLimits::load(const std::string& styleDocument)
{
    m_items.clear();
    m_order.clear();
    TiXmlDocument document;
    document.Parse(styleDocument.c_str());
    if (document.Error() || document.RootElement() == nullptr) return false;
    collectItems(*document.RootElement(), m_items, m_order);
    return true;
}

const StyleItem* StyleLimits::find(int key) const
{
    const auto found = m_items.find(key);
    return found != m_items.end() ? &found->second : nullptr;
}
