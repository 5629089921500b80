// Printable form of a traced call, one line per call for the simulator.
#include "isp_sim.h"

#include <sstream>

namespace isp_sim {

namespace {

const char* const kOptionNames[] = {"SET", "GET", "RANGE", "CORRECT", "STATUS"};

std::string payloadText(const IspCall& call)
{
    if (call.nullData) return "null";
    if (call.command == IA_CMD_CAMERA_VERSION && call.option == IA_CMD_OPT_GET && call.result == 0) {
        return "\"" + call.text + "\"";
    }
    std::ostringstream out;
    if (!call.record.empty()) {
        for (size_t i = 0; i < call.record.size(); ++i) out << (i ? " " : "") << call.record[i];
    } else if (call.option == IA_CMD_OPT_CORRECT_PARAM) {
        out << call.value << "->" << call.corrected;
    } else {
        out << call.value;
    }
    return out.str();
}

} // namespace

std::string optionName(uint32_t option)
{
    if (option < sizeof(kOptionNames) / sizeof(kOptionNames[0])) return kOptionNames[option];
    return "OPT" + std::to_string(option);
}

std::string formatCall(const IspCall& call)
{
    std::ostringstream line;
    line << call.channel << '\t' << call.command << '\t' << optionName(call.option) << '\t' << payloadText(call)
         << '\t' << (call.result == 0 ? std::string("ok") : "fail " + std::to_string(call.result));
    return line.str();
}

} // namespace isp_sim
