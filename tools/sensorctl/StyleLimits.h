// What the channel's dynamic style allows for each key: a number range or a
// list of options, with the item's name and default.
#ifndef SENSORCTL_STYLE_LIMITS_H
#define SENSORCTL_STYLE_LIMITS_H

#include <map>
#include <string>
#include <vector>

struct StyleItem {
    std::string name;
    int defaultValue = 0;
    bool ranged = false; // min/max; otherwise options
    int min = 0, max = 0;
    std::vector<std::pair<int, std::string>> options;

    bool allows(int value) const;
    // "0..100" or "0=Normal 1=Horizontal ..."
    std::string describe() const;
};

class StyleLimits {
public:
    // False when the document does not parse.
    bool load(const std::string& styleDocument);
    const StyleItem* find(int key) const;
    // In the document's order.
    const std::vector<int>& keys() const { return m_order; }

private:
    std::map<int, StyleItem> m_items;
    std::vector<int> m_order;
};

#endif
