#include "Runner.h"

#include <cstdio>

#include "Output.h"

namespace {

// The ISP calls a command caused: "isp" lines, or under --json one document.
void printCalls(const std::vector<isp_sim::IspCall>& calls)
{
    if (calls.empty()) return;
    if (!jsonOutput()) {
        for (const isp_sim::IspCall& call : calls) std::fprintf(results(), "isp\t%s\n", isp_sim::formatCall(call).c_str());
        return;
    }
    Json lines = Json::array();
    for (const isp_sim::IspCall& call : calls) {
        Json fields = Json::array();
        for (const std::string& field : splitFields(isp_sim::formatCall(call))) fields.push_back(jsonCell(field));
        lines.push_back(fields);
    }
    printJson({{"isp", lines}});
}

} // namespace

int failWith(int code, const std::string& message)
{
    std::fprintf(stderr, "sensorctl: %s\n", message.c_str());
    return code;
}

int runSteps(Session& session, const std::vector<Step>& steps, const InputPolicy& policy)
{
    for (const Step& step : steps) {
        if (!session.hasChannel(step.channel)) {
            return failWith(kExitUsage, located(step.origin, "the device tree has no channel " + std::to_string(step.channel)));
        }
        CommandContext context{session, step.channel, step.command->name, policy, "", kExitRuntime};
        const bool ok = step.command->handler(context, step.args);
        const std::vector<isp_sim::IspCall> calls = session.takeCalls();
        if (step.command->printsTraffic && !session.echoCalls()) printCalls(calls);
        std::fflush(results());
        if (!ok) return failWith(context.failure, located(step.origin, std::string(step.command->name) + ": " + context.error));
    }
    return kExitOk;
}
