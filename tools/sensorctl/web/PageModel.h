// The imaging page as the web page draws it: the tabs of a channel's
// dynamic style with their visible items, as JSON.
#ifndef SENSORCTL_PAGE_MODEL_H
#define SENSORCTL_PAGE_MODEL_H

#include <map>
#include <string>

#include <nlohmann/json.hpp>

// [{key, name, items: [{id, name, type, default?, min?, max?, options?: [{index, text}]}]}]
// The style's value is the factory default; buttons (actions) have none.
// Hidden items are left out; items and options the dynamic style removed
// are not there to begin with.
nlohmann::json pageTabs(const std::string& dynamicStyle);

// Whether an item stores a value (buttons only act).
bool storesValue(const nlohmann::json& item);

// "" when the item takes the value, else why not, naming its range or options.
std::string refusedValue(const nlohmann::json& item, int value);

// The items on the page by key.
std::map<int, nlohmann::json> pageItems(const nlohmann::json& tabs);

#endif
