// The dynamic style on a style text and an ISP that publishes fuzzed
// commands and ranges, followed by the factory defaults taken from it.
// Input: a flags byte, the command count the ISP reports, up to 16 commands
// (each: a selector byte, then kind, default, min, max, reported item count,
// item count byte and the items as little-endian int32), then the style text.
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ISensorController.h"
#include "SensorFile.h"
#include "isp_sim.h"

namespace {

// Ids of the sample styles that matter here; a selector past the table
// reads the command number itself.
const int32_t kKnownIds[] = {49, 50, 51, 55, 56, 1537, 82, 2305, 10, 11, 112, 128, 2048, 2064, 2368, 2369};
// More items than the record holds, so the ISP's own bound is exercised.
constexpr uint8_t kItemCountLimit = 80;
constexpr u32 kCapacity = 170;

enum Flags : uint8_t {
    kShowWdr = 1,
    kShowLdc = 2,
    kHideBeaway = 4,
    kFailList = 8,
    kFailRanges = 16,
};

void publish(fuzz::ByteReader& input, bool failRanges)
{
    const uint8_t commandBytes = input.u8();
    const int reported = static_cast<int8_t>(input.u8());
    std::vector<int32_t> commands;
    for (int i = 0; i < commandBytes % (IA_DYNAMIC_CMDS_MAX + 1); ++i) {
        const uint8_t selector = input.u8();
        const int32_t command = selector < std::size(kKnownIds) ? kKnownIds[selector] : input.i32();
        isp_sim::DynamicRange range;
        range.kind = input.i32();
        range.defaultValue = input.i32();
        range.min = input.i32();
        range.max = input.i32();
        range.reportedItems = input.i32();
        const uint8_t items = input.u8() % (kItemCountLimit + 1);
        for (uint8_t item = 0; item < items; ++item) range.items.push_back(input.i32());
        isp_sim::setRange(static_cast<uint32_t>(command), range);
        // A failed query leaves the previous command's range in the record.
        if (failRanges) isp_sim::failCommand(static_cast<uint32_t>(command), IA_CMD_OPT_GET_PARAM_RNAGE);
        commands.push_back(command);
    }
    isp_sim::setDynamicCommands(commands, reported);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::deviceRoot();
    fuzz::ByteReader input(data, size);
    isp_sim::reset();
    const uint8_t flags = input.u8();
    publish(input, (flags & kFailRanges) != 0);
    if (flags & kFailList) isp_sim::failCommand(IA_CMD_DYNAMIC_PARAMS_CMDS_GET);
    setshowBeawayFalg((flags & kHideBeaway) == 0);

    std::string style = input.rest();
    std::string dynamic;
    getDnaStyle(1, style.c_str(), dynamic, (flags & kShowWdr) != 0, (flags & kShowLdc) != 0);

    KeyVal records[kCapacity];
    u32 count = 0;
    getFctDataBounded(1, &style[0], records, &count, (flags & kShowWdr) != 0, (flags & kShowLdc) != 0, kCapacity);
    if (count > kCapacity) std::abort();
    return 0;
}
