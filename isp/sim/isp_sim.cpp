// The ISP entry point and the control functions, all served by the one
// SimIsp instance.
#include "isp_sim.h"

#include "SimIsp.h"

extern "C" int ia_ioctrl_v2(int channel, ia_cmd_e cmd, uint32_t opt, void* data)
{
    return isp_sim::SimIsp::instance().ioctrl(channel, static_cast<uint32_t>(cmd), opt, data);
}

namespace isp_sim {

namespace {
SimIsp& isp() { return SimIsp::instance(); }
} // namespace

void reset()
{
    releaseCalls();
    slowCalls(0);
    isp().reset();
}
void setValue(int channel, uint32_t command, int32_t value) { isp().setValue(channel, command, value); }
int32_t value(int channel, uint32_t command) { return isp().value(channel, command); }
std::vector<int32_t> record(int channel, uint32_t command) { return isp().record(channel, command); }

void setDynamicCommands(std::vector<int32_t> commands, int reportedCount)
{
    isp().setDynamicCommands(std::move(commands), reportedCount);
}

void setRange(uint32_t command, const DynamicRange& range) { isp().setRange(command, range); }
void failCommand(uint32_t command, int option) { isp().failCommand(command, option); }
void clearFailures() { isp().clearFailures(); }
void setFault(uint32_t command, const CommandFault& fault) { isp().setFault(command, fault); }
CommandFault plantedFault(uint32_t command) { return isp().plantedFault(command); }
void setExecStatus(uint32_t command, int32_t status) { isp().setExecStatus(command, status); }
void setVersionText(const std::string& text) { isp().setVersionText(text); }
void setSensorCheckResult(int32_t result) { isp().setSensorCheckResult(result); }

std::vector<IspCall> trace() { return isp().calls(false, 0, -1); }
void clearTrace() { isp().clearTrace(); }
std::vector<IspCall> calls(uint32_t command, int option) { return isp().calls(true, command, option); }
size_t countCalls(uint32_t command, int option) { return calls(command, option).size(); }

void setCallObserver(std::function<void(const IspCall&)> observer)
{
    isp().setCallObserver(std::move(observer));
}

} // namespace isp_sim
