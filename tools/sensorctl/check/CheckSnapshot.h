// The camera as the check found it: the current scheme and every value of
// every scheme, put back at the end, after an interruption too.
#ifndef SENSORCTL_CHECK_SNAPSHOT_H
#define SENSORCTL_CHECK_SNAPSHOT_H

#include <map>
#include <string>
#include <vector>

#include "CheckProbe.h"

class CameraSnapshot {
public:
    explicit CameraSnapshot(CheckChannel& channel);
    // Writes every value back into its scheme, switches to the scheme found,
    // and sends each command whose ISP value changed the value it held.
    void restore();
    // "" when every scheme holds its values as found; else the first difference.
    std::string difference() const;
    int scheme() const { return m_nScheme; }
    int schemeCount() const { return static_cast<int>(m_sets.size()); }
    // A scheme's values as found.
    const std::vector<KeyVal>& set(int scheme) const { return m_sets[static_cast<size_t>(scheme)]; }

private:
    void writeSets();
    void resendChangedCommands();

    CheckChannel& m_channel;
    ISensorController& m_controller;
    int m_nScheme = 0;
    std::vector<std::vector<KeyVal>> m_sets;
    std::map<u32, int> m_ispValues; // by command, of the commands that answer a get
    std::map<u32, u32> m_keyOfCommand; // the first key sent as each command
};

// Every user scheme's set, in scheme order.
std::vector<std::vector<KeyVal>> schemeSets(ISensorController& controller);

// SIGINT and SIGTERM while the check runs: the first asks it to stop and put
// the camera back, a second ends the process at once.
void catchCheckSignals();
void releaseCheckSignals();
// The signal that asked the check to stop, 0 for none.
int checkInterruption();

#endif
