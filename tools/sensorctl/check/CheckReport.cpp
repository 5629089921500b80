#include "CheckReport.h"

#include <cstdio>

#include "Commands.h"

void CheckReport::beginChannel(int channel)
{
    m_nChannel = channel;
    m_nTotal = m_nSucceeded = m_nFailed = m_nWarnings = 0;
    m_tests = Json::array();
}

void CheckReport::beginTest(const std::string& name)
{
    m_test = Test{name, {}, {}};
    m_bNotSupported = false;
    if (m_bProgress) std::fprintf(stderr, "\r\033[Kchannel %d: %s ...", m_nChannel, name.c_str());
}

void CheckReport::fail(const std::string& message)
{
    m_test.fails.push_back(message);
}

void CheckReport::warn(const std::string& message)
{
    m_test.warns.push_back(message);
}

bool CheckReport::endTest()
{
    const bool ok = m_test.fails.empty();
    const char* result = !ok ? "FAIL" : m_bNotSupported ? "OK (not supported)" : "OK";
    ++m_nTotal;
    ++(ok ? m_nSucceeded : m_nFailed);
    m_nAllFailed += ok ? 0 : 1;
    m_nWarnings += static_cast<int>(m_test.warns.size());
    if (m_bProgress) std::fprintf(stderr, "\r\033[K");
    if (jsonOutput()) {
        m_tests.push_back({{"test", m_test.name}, {"result", result}, {"fail", m_test.fails}, {"warn", m_test.warns}});
        return ok;
    }
    std::fprintf(results(), "test %s: %s\n", m_test.name.c_str(), result);
    for (const std::string& line : m_test.fails) std::fprintf(results(), "\tfail: %s\n", line.c_str());
    for (const std::string& line : m_test.warns) std::fprintf(results(), "\twarn: %s\n", line.c_str());
    std::fflush(results());
    return ok;
}

void CheckReport::endChannel()
{
    if (jsonOutput()) {
        m_channels.push_back({{"channel", m_nChannel}, {"tests", m_tests}, {"total", m_nTotal}, {"succeeded", m_nSucceeded},
                              {"failed", m_nFailed}, {"warnings", m_nWarnings}});
        return;
    }
    std::fprintf(results(), "Total for channel %d: %d, Succeeded: %d, Failed: %d, Warnings: %d\n", m_nChannel, m_nTotal,
                 m_nSucceeded, m_nFailed, m_nWarnings);
    std::fflush(results());
}

void CheckReport::finish()
{
    if (jsonOutput()) printJson({{"channels", m_channels}, {"ok", m_nAllFailed == 0}});
}
