// Metadata: what the key table, the dynamic style and the ISP say of each
// key must agree before any value is set.
#include <tinyxml.h>

#include <algorithm>
#include <map>

#include "CheckTests.h"
#include "LintCommand.h"

namespace {

std::string span(int min, int max)
{
    return std::to_string(min) + ".." + std::to_string(max);
}

// The ISP's range record as the values it offers: its items, or [min, max].
struct Offered {
    bool items;
    int min, max;
    std::vector<int> list;
    bool allows(int value) const
    {
        return items ? std::find(list.begin(), list.end(), value) != list.end() : value >= min && value <= max;
    }
    std::string describe() const
    {
        if (!items) return span(min, max);
        std::string text;
        for (int value : list) text += (text.empty() ? "" : " ") + std::to_string(value);
        return text;
    }
};

Offered offeredBy(const ia_dynamic_params_attr_st& range)
{
    Offered offered{range.kind == 0 && range.items_cnt > 0, range.min, range.max, {}};
    const int count = std::min(std::max(range.items_cnt, 0), IA_DYNAMIC_ITEMS_MAX);
    if (offered.items) offered.list.assign(range.item, range.item + count);
    return offered;
}

// A style item must offer nothing the ISP does not take.
void compareWithIsp(CheckRun& run, u32 key, const StyleItem& item, const Offered& offered)
{
    const std::string name = run.channel.describe(key);
    if (item.ranged && (!offered.allows(item.min) || !offered.allows(item.max))) {
        run.report.fail(name + ": the style allows " + span(item.min, item.max) + ", the ISP takes " + offered.describe());
    }
    for (const auto& option : item.options) {
        if (!offered.allows(option.first)) {
            run.report.fail(name + ": option " + std::to_string(option.first) + " is not among what the ISP takes (" +
                            offered.describe() + ")");
        }
    }
}

void countItems(const TiXmlElement& parent, std::map<int, int>& counts)
{
    for (const TiXmlElement* child = parent.FirstChildElement(); child != nullptr; child = child->NextSiblingElement()) {
        int id = 0;
        if (child->ValueStr() == "item" && child->QueryIntAttribute("id", &id) == TIXML_SUCCESS) ++counts[id];
        countItems(*child, counts);
    }
}

void checkItemDefault(CheckRun& run, u32 key, const StyleItem& item)
{
    const std::string name = run.channel.describe(key);
    if (item.ranged && item.min > item.max) run.report.fail(name + ": min " + std::to_string(item.min) + " is above max " + std::to_string(item.max));
    if (item.ranged && !item.allows(item.defaultValue)) {
        run.report.fail(name + ": default " + std::to_string(item.defaultValue) + " lies outside " + span(item.min, item.max));
    }
    if (!item.ranged && !item.options.empty() && !item.allows(item.defaultValue)) {
        run.report.fail(name + ": default " + std::to_string(item.defaultValue) + " is none of its options (" + item.describe() + ")");
    }
}

} // namespace

void checkRangedKeys(CheckRun& run)
{
    CheckChannel& channel = run.channel;
    for (int id : channel.style.keys()) {
        const CheckKey* key = findCheckKey(static_cast<u32>(id));
        if (key == nullptr || key->command == 0) continue;
        const StyleItem& item = *channel.style.find(id);
        ia_dynamic_params_attr_st range;
        if (ispRange(channel, key->command, range)) {
            compareWithIsp(run, key->key, item, offeredBy(range));
        } else if ((key->facts & sensor::fact::RANGED) != 0) {
            run.report.fail(channel.describe(key->key) + ": a ranged key, but the ISP publishes no range for command " +
                            std::to_string(key->command));
        }
    }
}

void checkStyleItems(CheckRun& run)
{
    CheckChannel& channel = run.channel;
    TiXmlDocument document;
    document.Parse(channel.controller.getUIStyleFile().c_str());
    channel.session.takeCalls();
    if (document.Error() || document.RootElement() == nullptr) {
        run.report.fail("the dynamic style does not parse: " + std::string(document.ErrorDesc()));
        return;
    }
    std::map<int, int> counts;
    countItems(*document.RootElement(), counts);
    for (const auto& count : counts) {
        if (count.second > 1) run.report.fail("item id " + std::to_string(count.first) + " appears " + std::to_string(count.second) + " times");
    }
    for (int id : channel.style.keys()) checkItemDefault(run, static_cast<u32>(id), *channel.style.find(id));
    u32 count = 0;
    const KeyVal* factory = channel.controller.getFactoryKeyVal(count);
    for (u32 i = 0; factory != nullptr && i < count; ++i) {
        const StyleItem* item = channel.style.find(static_cast<int>(factory[i].key));
        const int value = static_cast<int32_t>(factory[i].value);
        if (item != nullptr && !item->allows(value)) {
            run.report.fail(channel.describe(factory[i].key) + ": factory value " + std::to_string(value) +
                            " is not what the style allows (" + item->describe() + ")");
        }
    }
}

void checkStyleLint(CheckRun& run)
{
    const auto pair = channelStylePair(run.channel.channel);
    for (const LintFinding& finding : lintStyleFiles(pair.first, pair.second, run.scope.lintRules)) {
        run.report.fail(formatFinding(finding));
    }
}

void checkCommandsAnswer(CheckRun& run)
{
    for (const CheckKey& key : checkKeys()) {
        int value = 0;
        if (key.command == 0 || ispGet(run.channel, key.command, value)) continue;
        run.report.fail(run.channel.describe(key.key) + ": a get of its ISP command " + std::to_string(key.command) + " fails");
    }
}
