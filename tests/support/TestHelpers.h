// Helpers the controller-layer tests share: what a call printed, scheme records
// as bytes and as "(key,value)" text, the ISP's SET traffic, style merges and
// a controller's stop and start on the simulated clock.
#ifndef TESTS_TEST_HELPERS_H
#define TESTS_TEST_HELPERS_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ControllerRig.h"
#include "SensorFile.h"
#include "isp_sim.h"

using Records = std::vector<KeyVal>;
using Sent = std::vector<std::pair<uint32_t, int32_t>>;

inline const std::string kStampFile = "/mnt/mtd/code/config_file/snsversion.cfg";
inline const std::string kMachineInfoFile = "/mnt/mtd/code/factory_setting/machineinfo.ini";
inline const std::string kStyleFile = "/hd1/moduleConfig/sensorConfig/style/Style.xml";

inline std::string schemeFile(int scheme, int camera = 1)
{
    return "/mnt/mtd/code/config_file/sensor" + std::to_string(camera) + "_" + std::to_string(scheme) + ".cfg";
}

inline std::string printedBy(const std::function<void()>& fn)
{
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

inline bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// Puts `to` in place of the first `from` in a device file.
inline void replaceIn(TestRoot& root, const std::string& file, const std::string& from, const std::string& to)
{
    std::string text = root.readFile(file);
    ASSERT_TRUE(has(text, from)) << file << ": " << from;
    root.writeFile(file, text.replace(text.find(from), from.size(), to));
}

inline std::string bytesOf(const void* data, size_t length)
{
    return std::string(static_cast<const char*>(data), length);
}
inline std::string bytesOf(const Records& records) { return bytesOf(records.data(), records.size() * sizeof(KeyVal)); }
inline std::string stampOf(u32 version) { return bytesOf(&version, sizeof version); }

// The whole records a scheme file holds.
inline Records schemeRecords(TestRoot& root, int scheme)
{
    const std::string bytes = root.readFile(schemeFile(scheme));
    Records records(bytes.size() / sizeof(KeyVal));
    if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(KeyVal));
    return records;
}

// Value of a key among records, 0xFFFFFFFF when absent.
inline u32 valueIn(const Records& records, u32 key)
{
    for (const KeyVal& record : records) {
        if (record.key == key) return record.value;
    }
    return 0xFFFFFFFFu;
}

// Records as the host reads them: "(key,value)" with signed numbers.
inline std::string pairsOf(const KeyVal* records, size_t count)
{
    std::string text;
    for (const KeyVal* r = records; r != records + count; ++r)
        text += "(" + std::to_string(static_cast<int>(r->key)) + "," + std::to_string(static_cast<int>(r->value)) + ")";
    return text;
}
inline std::string pairsOf(const Records& records) { return pairsOf(records.data(), records.size()); }
inline std::string filePairs(TestRoot& root, int scheme) { return pairsOf(schemeRecords(root, scheme)); }

inline Records factorySet(const ISensorController& camera)
{
    u32 count = 0;
    const KeyVal* set = camera.getFactoryKeyVal(count);
    return Records(set, set + count);
}

// (command, value) of every SET the ISP received, in order.
inline Sent sentValues()
{
    Sent sent;
    for (const isp_sim::IspCall& call : isp_sim::trace()) {
        if (call.option == IA_CMD_OPT_SET) sent.emplace_back(call.command, call.value);
    }
    return sent;
}

// The style merged for a channel from a copy of `style`; the diversity text is
// handed over as given, so a caller can place it where a read past it traps.
inline std::string mergedStyle(int channel, const std::string& detail, const std::string& style, char* diversity)
{
    ModuleConfig config{};
    std::snprintf(config.szDetail, sizeof config.szDetail, "%s", detail.c_str());
    char* merged = new char[style.size() + 1];
    std::memcpy(merged, style.c_str(), style.size() + 1);
    EXPECT_EQ(SNS_SUCCESS, mergeStyle(channel, &config, &merged, diversity));
    const std::unique_ptr<char[]> owner(merged);
    return merged != nullptr ? merged : "<null>";
}

inline bool initOn(ISensorController& camera, const ModuleConfigure& config)
{
    bool result = false;
    ControllerRig::runWithClock([&] { result = camera.init(config); });
    return result;
}

// The zoom/focus lock, set as the host sets it.
inline void lockLens(ISensorController& camera, bool locked)
{
    SensorZoomFocusParam lock;
    lock.setLockZoomFocusEnable(locked);
    camera.setSensorZoomFocusParam(lock);
}

inline void uinitOf(ISensorController& camera) { ControllerRig::runWithClock([&camera] { camera.uinit(); }); }

inline bool restart(ISensorController& camera, const ModuleConfigure& config)
{
    uinitOf(camera);
    return initOn(camera, config);
}

#endif
