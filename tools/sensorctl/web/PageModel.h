// The imaging page as the web page draws it: the tabs of a channel's
// dynamic style with their visible items, as JSON.
#ifndef SENSORCTL_PAGE_MODEL_H
#define SENSORCTL_PAGE_MODEL_H

#include <set>
#include <string>

#include <nlohmann/json.hpp>

// [{key, name, items: [{id, name, type, value, min?, max?, options?: [{index, text}]}]}]
// Hidden items are left out; items and options the dynamic style removed
// are not there to begin with.
nlohmann::json pageTabs(const std::string& dynamicStyle);

// The keys of the items on the page.
std::set<int> pageKeys(const nlohmann::json& tabs);

#endif
