// The tests of `sensorctl check`, in the order they run on a channel. Each
// reports its findings and leaves the values it changed as it found them.
#ifndef SENSORCTL_CHECK_TESTS_H
#define SENSORCTL_CHECK_TESTS_H

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "CheckProbe.h"
#include "CheckReport.h"
#include "CheckSnapshot.h"
#include "StyleLint.h"

// Called where a run may stop (between tests and between the steps of
// one) with the channel and the test: tests interrupt the check there.
typedef std::function<void(int channel, const std::string& test)> CheckHook;

// What a run covers and what it may do.
struct CheckScope {
    std::set<u32> keys; // the per-key tests take only these; empty: every key
    bool save = false;  // flushes allowed
    LintRules lintRules;
    CheckHook hook;
    bool takes(u32 key) const { return keys.empty() || keys.count(key) != 0; }
};

struct CheckRun {
    CheckChannel& channel;
    CheckReport& report;
    const CheckScope& scope;
    CameraSnapshot& snapshot;
    const char* test;
    // True once a signal asked the check to stop.
    bool stopping() const
    {
        if (scope.hook) scope.hook(channel.channel, test);
        return checkInterruption() != 0;
    }
};

struct CheckTest {
    const char* name;
    void (*run)(CheckRun& run);
};

const std::vector<CheckTest>& checkTests();

// Metadata (CheckMetadata.cpp).
void checkRangedKeys(CheckRun& run);
void checkStyleItems(CheckRun& run);
void checkStyleLint(CheckRun& run);
void checkCommandsAnswer(CheckRun& run);
// Per-key behaviour (CheckBehaviour.cpp).
void checkLimitsAndOptions(CheckRun& run);
void checkOutsideTheRange(CheckRun& run);
void checkKeyOutsideTable(CheckRun& run);
void checkStoredOnlyKeys(CheckRun& run);
void checkModeDependentKeys(CheckRun& run);
// Schemes and saves (CheckSchemes.cpp).
void checkSchemeSwitches(CheckRun& run);
void checkAllParameters(CheckRun& run);
void checkSave(CheckRun& run);

#endif
