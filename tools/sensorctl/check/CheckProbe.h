// One channel under check and the few ways the check touches it: sets and
// reads through the controller as the host does, and questions put straight
// to the ISP, whose answers are taken from its call trace.
#ifndef SENSORCTL_CHECK_PROBE_H
#define SENSORCTL_CHECK_PROBE_H

#include <string>
#include <vector>

#include "CheckKeys.h"
#include "Session.h"
#include "ia_ioctrl.h"

struct CheckChannel {
    Session& session;
    int channel;
    ISensorController& controller;
    const StyleLimits& style;

    CheckChannel(Session& session, int channel);
    int ispChannel() const { return controller.getCameraID() - 1; }
    // "key 34 (Brightness)"
    std::string describe(u32 key) const;
    int currentScheme() const;
    // Whether a set of the key is sent to the ISP as its row's command now.
    bool reachesIsp(const CheckKey& key) const;
};

struct SetOutcome {
    int result = 0;
    bool read = false; // getParameter answered
    int readBack = 0;
    std::vector<isp_sim::IspCall> calls; // what the set caused
};

// setParameter (stored, as the host does), then getParameter.
SetOutcome setAndRead(CheckChannel& channel, u32 key, int value);
// The ISP's answer to a get of the command; false when the call failed.
bool ispGet(CheckChannel& channel, u32 command, int& value);
bool ispRange(CheckChannel& channel, u32 command, ia_dynamic_params_attr_st& range);
// A SET of the command with the value that succeeded, among the calls.
bool hasSet(const std::vector<isp_sim::IspCall>& calls, u32 command, int value);
// The calls as "command OPTION value" words, for messages.
std::string describeCalls(const std::vector<isp_sim::IspCall>& calls);

#endif
