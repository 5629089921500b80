#include "CheckCommand.h"

#include <unistd.h>

#include <cstdio>

#include "CheckTests.h"
#include "Commands.h"
#include "KeyNames.h"
#include "LintCommand.h"
#include "Output.h"

namespace {

// Simulated time the sensor threads run before the check: one pass.
const std::int64_t kSettleSeconds = 60;

bool usage(const std::string& message)
{
    std::fprintf(stderr, "sensorctl: check: %s\nusage: check [KEY...] [--channel N] [-E] [--save]\n", message.c_str());
    return false;
}

// Runs the tests on one channel and puts its values back; false when the run is to stop.
bool checkChannel(Session& session, int number, const CheckOptions& options, CheckReport& report)
{
    CheckChannel channel(session, number);
    CameraSnapshot snapshot(channel);
    report.beginChannel(number);
    bool carryOn = true;
    for (const CheckTest& test : checkTests()) {
        CheckRun run{channel, report, options.scope, snapshot, test.name};
        if (run.stopping()) break;
        report.beginTest(test.name);
        test.run(run);
        snapshot.restore();
        if (!report.endTest() && options.stopAtFailure) {
            carryOn = false;
            break;
        }
    }
    snapshot.restore();
    const std::string difference = snapshot.difference();
    if (!difference.empty()) {
        report.beginTest("values as found");
        report.fail(difference);
        report.endTest();
    }
    report.endChannel();
    return carryOn && checkInterruption() == 0;
}

} // namespace

bool parseCheckArgs(const std::vector<std::string>& args, CheckOptions& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        int key = 0;
        if (args[i] == "-E") {
            options.stopAtFailure = true;
        } else if (args[i] == "--save") {
            options.scope.save = true;
        } else if (args[i] == "--channel") {
            if (i + 1 >= args.size() || !parseNumber(args[i + 1], options.channel) || options.channel < 1) {
                return usage("--channel needs a channel number from 1");
            }
            ++i;
        } else if (parseKey(args[i], key) && keyConstantName(key) != nullptr) {
            options.scope.keys.insert(static_cast<u32>(key));
        } else {
            return usage("\"" + args[i] + "\" is neither an option nor a key of the table");
        }
    }
    return true;
}

const std::vector<CheckTest>& checkTests()
{
    static const std::vector<CheckTest> tests = {
        {"style items against the ISP's ranges", checkRangedKeys},
        {"style items", checkStyleItems},
        {"style lint", checkStyleLint},
        {"ISP commands answer a get", checkCommandsAnswer},
        {"limits and options", checkLimitsAndOptions},
        {"values outside the range", checkOutsideTheRange},
        {"key outside the table", checkKeyOutsideTable},
        {"stored-only keys", checkStoredOnlyKeys},
        {"mode-dependent keys", checkModeDependentKeys},
        {"scheme switches", checkSchemeSwitches},
        {"getAllParameters and key reads", checkAllParameters},
        {"save and read back", checkSave},
    };
    return tests;
}

int checkSession(Session& session, const CheckOptions& options)
{
    if (options.channel != 0 && !session.hasChannel(options.channel)) {
        std::fprintf(stderr, "sensorctl: check: the device tree has no channel %d\n", options.channel);
        return kExitUsage;
    }
    // The sensor threads' first pass (a deferred field-of-view sync, say)
    // comes before the snapshot; the clock stands still after it.
    if (!session.time().runFor(kSettleSeconds, session.startedCount(), [] { return false; }, [](std::int64_t) {})) {
        std::fprintf(stderr, "sensorctl: check: the sensor threads stopped answering\n");
        return kExitRuntime;
    }
    CheckReport report(isatty(STDERR_FILENO) != 0);
    catchCheckSignals();
    for (int number = 1; number <= session.channelCount(); ++number) {
        if ((options.channel != 0 && number != options.channel) || !session.started(number)) continue;
        if (!checkChannel(session, number, options, report)) break;
    }
    report.finish();
    const int signal = checkInterruption();
    releaseCheckSignals();
    if (signal != 0) {
        std::fprintf(stderr, "sensorctl: check: interrupted; every value is back as the check found it\n");
        return 128 + signal;
    }
    return report.failed() ? kExitRuntime : kExitOk;
}

int runCheck(const std::vector<std::string>& args)
{
    CheckOptions options;
    if (!parseCheckArgs(args, options)) return kExitUsage;
    // Lint's rules ask a fresh simulated ISP: before the check's controllers start.
    options.scope.lintRules = rulesOfTree();
    Session session;
    std::string error;
    if (!session.open(true, SimulatedStart{}, error)) {
        std::fprintf(stderr, "sensorctl: check: %s\n", error.c_str());
        return kExitRuntime;
    }
    return checkSession(session, options);
}
