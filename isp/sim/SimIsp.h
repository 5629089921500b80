// State of the simulated ISP and its answer to each option. One instance per
// process, guarded by one mutex; isp_sim.cpp forwards the C entry point and
// the control functions to it.
#ifndef ISP_SIM_SIM_ISP_H
#define ISP_SIM_SIM_ISP_H

#include "isp_sim.h"

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <utility>

namespace isp_sim {

class SimIsp {
public:
    static SimIsp& instance();

    int ioctrl(int channel, uint32_t command, uint32_t option, void* data);

    void reset();
    void setValue(int channel, uint32_t command, int32_t value);
    int32_t value(int channel, uint32_t command);
    std::vector<int32_t> record(int channel, uint32_t command);
    void setDynamicCommands(std::vector<int32_t> commands, int reportedCount);
    void setRange(uint32_t command, const DynamicRange& range);
    void failCommand(uint32_t command, int option);
    void clearFailures();
    void setFault(uint32_t command, const CommandFault& fault);
    CommandFault plantedFault(uint32_t command);
    void setExecStatus(uint32_t command, int32_t status);
    void setVersionText(const std::string& text);
    void setSensorCheckResult(int32_t result);
    std::vector<IspCall> calls(bool filtered, uint32_t command, int option);
    void clearTrace();
    void setCallObserver(std::function<void(const IspCall&)> observer);

private:
    SimIsp() { clearState(); }

    using Slot = std::pair<int, uint32_t>;

    // The handlers run under m_mutex and return the call's result.
    int dispatch(IspCall& call, void* data);
    int handleSet(IspCall& call, void* data);
    int handleGet(IspCall& call, void* data);
    int handleRange(IspCall& call, void* data);
    int handleCorrect(IspCall& call, void* data);
    int handleStatus(IspCall& call, void* data);
    void noteInput(IspCall& call, const void* data) const;
    bool failing(uint32_t command, uint32_t option) const;
    // What a SET of the command keeps of the value, and a GET answers of it.
    int32_t heldValue(uint32_t command, int32_t value) const;
    int32_t answeredValue(uint32_t command, int32_t value) const;
    void clearState();

    std::mutex m_mutex;
    std::map<Slot, int32_t> m_values;
    std::map<Slot, std::vector<int32_t>> m_records;
    std::vector<int32_t> m_dynamicCommands;
    int32_t m_reportedCommands = -1;
    std::map<uint32_t, DynamicRange> m_ranges;
    std::map<uint32_t, int32_t> m_execStatus;
    std::set<std::pair<uint32_t, int>> m_failures;
    std::map<uint32_t, CommandFault> m_faults;
    std::string m_versionText;
    int32_t m_sensorCheckResult = 0;
    std::deque<IspCall> m_trace;
    std::function<void(const IspCall&)> m_observer;
};

} // namespace isp_sim

#endif
