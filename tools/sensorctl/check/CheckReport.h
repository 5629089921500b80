// The check's report: a line per test with its fail and warn lines under it,
// then the channel's total; under --json the same as one document.
#ifndef SENSORCTL_CHECK_REPORT_H
#define SENSORCTL_CHECK_REPORT_H

#include <string>
#include <vector>

#include "Output.h"

class CheckReport {
public:
    // progress: a line on standard error naming the running test.
    explicit CheckReport(bool progress) : m_bProgress(progress) {}

    void beginChannel(int channel);
    void beginTest(const std::string& name);
    void fail(const std::string& message);
    void warn(const std::string& message);
    // The test had nothing to check here.
    void notSupported() { m_bNotSupported = true; }
    // Prints the test's line and its messages; false when it failed.
    bool endTest();
    // Prints "Total for channel N: ...".
    void endChannel();
    // Under --json, the one document of every channel.
    void finish();

    bool failed() const { return m_nAllFailed != 0; }

private:
    struct Test {
        std::string name;
        std::vector<std::string> fails;
        std::vector<std::string> warns;
    };

    bool m_bProgress;
    int m_nChannel = 0;
    Test m_test;
    bool m_bNotSupported = false;
    int m_nTotal = 0, m_nSucceeded = 0, m_nFailed = 0, m_nWarnings = 0;
    int m_nAllFailed = 0;
    Json m_channels = Json::array();
    Json m_tests = Json::array();
};

#endif
