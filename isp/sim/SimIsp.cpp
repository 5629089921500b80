#include "SimIsp.h"

#include "CallGate.h"
#include "PayloadShapes.h"
#include "RangeRecords.h"

#include <algorithm>
#include <cstring>

namespace isp_sim {

namespace {

const char kDefaultVersionText[] = "SIM-ISP 1.0";

std::vector<int32_t> readWords(const void* data, size_t bytes)
{
    std::vector<int32_t> words(bytes / sizeof(int32_t));
    std::memcpy(words.data(), data, words.size() * sizeof(int32_t));
    return words;
}

int32_t readInt(const void* data)
{
    int32_t v = 0;
    std::memcpy(&v, data, sizeof(v));
    return v;
}

void writeInt(void* data, int32_t v)
{
    std::memcpy(data, &v, sizeof(v));
}

} // namespace

SimIsp& SimIsp::instance()
{
    static SimIsp isp;
    return isp;
}

int SimIsp::ioctrl(int channel, uint32_t command, uint32_t option, void* data)
{
    IspCall call;
    call.channel = channel;
    call.command = command;
    call.option = option;
    std::function<void(const IspCall&)> observer;
    passCallGate(command, option);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        call.result = dispatch(call, data);
        m_trace.push_back(call);
        if (m_trace.size() > kTraceLimit) m_trace.pop_front();
        observer = m_observer;
    }
    if (observer) observer(call);
    return call.result;
}

int SimIsp::dispatch(IspCall& call, void* data)
{
    if (data == nullptr) {
        call.nullData = true;
        return -1;
    }
    noteInput(call, data);
    if (failing(call.command, call.option)) return -1;
    switch (call.option) {
    case IA_CMD_OPT_SET: return handleSet(call, data);
    case IA_CMD_OPT_GET: return handleGet(call, data);
    case IA_CMD_OPT_GET_PARAM_RNAGE: return handleRange(call, data);
    case IA_CMD_OPT_CORRECT_PARAM: return handleCorrect(call, data);
    case IA_CMD_OPT_GET_EXEC_STATUS: return handleStatus(call, data);
    default: return -1;
    }
}

// What the caller sent, so that failed calls are traced with it too.
void SimIsp::noteInput(IspCall& call, const void* data) const
{
    if (call.option == IA_CMD_OPT_CORRECT_PARAM) {
        call.value = call.corrected = readInt(data);
        return;
    }
    if (call.option != IA_CMD_OPT_SET) return;
    const PayloadShape* shape = findPayloadShape(call.command);
    if (shape != nullptr && shape->kind == PayloadKind::Record) {
        call.record = readWords(data, ia_cmd_payload_bytes(call.command));
        if (shape->valueWord >= 0) call.value = call.record[shape->valueWord];
    } else {
        call.value = readInt(data);
    }
    call.corrected = call.value;
}

bool SimIsp::failing(uint32_t command, uint32_t option) const
{
    return m_failures.count({command, -1}) != 0 || m_failures.count({command, static_cast<int>(option)}) != 0;
}

int32_t SimIsp::heldValue(uint32_t command, int32_t value) const
{
    const auto fault = m_faults.find(command);
    if (fault == m_faults.end() || !fault->second.holds) return value;
    return std::min(std::max(value, fault->second.holdMin), fault->second.holdMax);
}

int32_t SimIsp::answeredValue(uint32_t command, int32_t value) const
{
    const auto fault = m_faults.find(command);
    return fault == m_faults.end() ? value : value + fault->second.skew;
}

int SimIsp::handleSet(IspCall& call, void*)
{
    const auto fault = m_faults.find(call.command);
    if (fault != m_faults.end() && fault->second.ignoreSets) return 0;
    const Slot slot{call.channel, call.command};
    const PayloadShape* shape = findPayloadShape(call.command);
    if (shape != nullptr && shape->kind == PayloadKind::Record) {
        m_records[slot] = call.record;
        if (shape->valueWord >= 0) m_values[slot] = heldValue(call.command, call.value);
        return 0;
    }
    m_values[slot] = heldValue(call.command, call.value);
    return 0;
}

int SimIsp::handleGet(IspCall& call, void* data)
{
    if (call.command == IA_CMD_DYNAMIC_PARAMS_CMDS_GET) {
        ia_dynamic_cmd_list_st list;
        call.record = fillCommandList(m_dynamicCommands, m_reportedCommands, list);
        call.value = list.cmd_cnt;
        std::memcpy(data, &list, sizeof(list));
        return 0;
    }
    const PayloadShape* shape = findPayloadShape(call.command);
    if (shape != nullptr && shape->kind == PayloadKind::Text) {
        char text[IA_CAMERA_VERSION_LEN] = {};
        std::memcpy(text, m_versionText.data(), std::min(m_versionText.size(), sizeof(text) - 1));
        std::memcpy(data, text, sizeof(text));
        call.text = text;
        return 0;
    }
    if (shape != nullptr && shape->valueWord < 0) {
        ia_sensor_check_st check;
        std::memcpy(&check, data, sizeof(check));
        if (check.arg[1] == 2) check.result = m_sensorCheckResult;
        std::memcpy(data, &check, sizeof(check));
        call.record = readWords(&check, sizeof(check));
        return 0;
    }
    const auto found = m_values.find({call.channel, call.command});
    call.value = call.corrected = answeredValue(call.command, found == m_values.end() ? 0 : found->second);
    if (shape != nullptr) {
        // A record answers whole, as the camera's ISP does: the last one set,
        // with the command's value in its place.
        const auto stored = m_records.find({call.channel, call.command});
        std::vector<int32_t> record(ia_cmd_payload_bytes(call.command) / sizeof(int32_t), 0);
        if (stored != m_records.end() && stored->second.size() == record.size()) record = stored->second;
        record[static_cast<size_t>(shape->valueWord)] = call.value;
        std::memcpy(data, record.data(), record.size() * sizeof(int32_t));
        return 0;
    }
    writeInt(data, call.value);
    return 0;
}

int SimIsp::handleRange(IspCall& call, void* data)
{
    const auto found = m_ranges.find(call.command);
    if (found == m_ranges.end()) return -1;
    ia_dynamic_params_attr_st record;
    call.record = fillRangeRecord(found->second, record);
    std::memcpy(data, &record, sizeof(record));
    return 0;
}

int SimIsp::handleCorrect(IspCall& call, void* data)
{
    const auto found = m_ranges.find(call.command);
    if (found == m_ranges.end()) return 0;
    call.corrected = correctValue(found->second, call.value);
    writeInt(data, call.corrected);
    return 0;
}

int SimIsp::handleStatus(IspCall& call, void* data)
{
    const auto found = m_execStatus.find(call.command);
    call.value = call.corrected = found == m_execStatus.end() ? 0 : found->second;
    writeInt(data, call.value);
    return 0;
}

void SimIsp::clearState()
{
    m_values.clear();
    m_records.clear();
    m_dynamicCommands.clear();
    m_reportedCommands = -1;
    m_ranges.clear();
    m_execStatus.clear();
    m_failures.clear();
    m_faults.clear();
    m_versionText = kDefaultVersionText;
    m_sensorCheckResult = 0;
    m_trace.clear();
}

void SimIsp::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    clearState();
}

void SimIsp::setValue(int channel, uint32_t command, int32_t value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values[{channel, command}] = value;
}

int32_t SimIsp::value(int channel, uint32_t command)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_values.find({channel, command});
    return found == m_values.end() ? 0 : found->second;
}

std::vector<int32_t> SimIsp::record(int channel, uint32_t command)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_records.find({channel, command});
    return found == m_records.end() ? std::vector<int32_t>{} : found->second;
}

void SimIsp::setDynamicCommands(std::vector<int32_t> commands, int reportedCount)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dynamicCommands = std::move(commands);
    m_reportedCommands = reportedCount;
}

void SimIsp::setRange(uint32_t command, const DynamicRange& range)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ranges[command] = range;
}

void SimIsp::failCommand(uint32_t command, int option)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.insert({command, option < 0 ? -1 : option});
}

void SimIsp::clearFailures()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.clear();
}

void SimIsp::setFault(uint32_t command, const CommandFault& fault)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults[command] = fault;
}

CommandFault SimIsp::plantedFault(uint32_t command)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_faults.find(command);
    return found == m_faults.end() ? CommandFault() : found->second;
}

void SimIsp::setExecStatus(uint32_t command, int32_t status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_execStatus[command] = status;
}

void SimIsp::setVersionText(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_versionText = text;
}

void SimIsp::setSensorCheckResult(int32_t result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sensorCheckResult = result;
}

std::vector<IspCall> SimIsp::calls(bool filtered, uint32_t command, int option)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<IspCall> out;
    for (const IspCall& call : m_trace) {
        if (filtered && call.command != command) continue;
        if (filtered && option >= 0 && call.option != static_cast<uint32_t>(option)) continue;
        out.push_back(call);
    }
    return out;
}

void SimIsp::clearTrace()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_trace.clear();
}

void SimIsp::setCallObserver(std::function<void(const IspCall&)> observer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_observer = std::move(observer);
}

} // namespace isp_sim
