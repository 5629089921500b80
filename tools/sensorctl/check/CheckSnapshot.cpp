#include "CheckSnapshot.h"

#include <unistd.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t g_nInterruption = 0;
struct sigaction g_previous[2];
const int kCaught[2] = {SIGINT, SIGTERM};

void onSignal(int signal)
{
    if (g_nInterruption != 0) {
        static const char message[] = "sensorctl: check: stopped at once, the camera is left as it is\n";
        (void)!write(STDERR_FILENO, message, sizeof message - 1);
        _exit(128 + signal);
    }
    g_nInterruption = signal;
}

} // namespace

std::vector<std::vector<KeyVal>> schemeSets(ISensorController& controller)
{
    std::vector<std::vector<KeyVal>> sets;
    u32 count = 0;
    for (u32 scheme = 0; const KeyVal* set = controller.getSchemeKeyVal(scheme, count); ++scheme) {
        sets.emplace_back(set, set + count);
    }
    return sets;
}

CameraSnapshot::CameraSnapshot(CheckChannel& channel)
    : m_channel(channel), m_controller(channel.controller), m_sets(schemeSets(channel.controller))
{
    m_controller.getParamScheme(m_nScheme);
    for (const CheckKey& key : checkKeys()) {
        int value = 0;
        if (key.command == 0 || m_keyOfCommand.count(key.command) != 0 || !ispGet(channel, key.command, value)) continue;
        m_ispValues[key.command] = value;
        m_keyOfCommand[key.command] = key.key;
    }
}

void CameraSnapshot::writeSets()
{
    for (size_t scheme = 0; scheme < m_sets.size(); ++scheme) {
        for (const KeyVal& record : m_sets[scheme]) {
            m_controller.setKeyValToCache(static_cast<u32>(scheme), record.key, record.value, true);
        }
    }
}

// Through the key's own handler, unstored, as a scheme switch sends it.
void CameraSnapshot::resendChangedCommands()
{
    for (const auto& held : m_ispValues) {
        int now = 0;
        if (!ispGet(m_channel, held.first, now) || now == held.second) continue;
        KeyVal record{m_keyOfCommand[held.first], static_cast<u32>(held.second)};
        m_controller.setParameters(&record, 1, false);
    }
    m_channel.session.takeCalls();
}

void CameraSnapshot::restore()
{
    writeSets();
    if (m_channel.currentScheme() != m_nScheme) m_controller.setParamScheme(m_nScheme);
    resendChangedCommands();
    // A set writes a twin beside its base; their own values go back after.
    writeSets();
}

std::string CameraSnapshot::difference() const
{
    int scheme = -1;
    m_controller.getParamScheme(scheme);
    if (scheme != m_nScheme) return "the current scheme is " + std::to_string(scheme) + ", not " + std::to_string(m_nScheme);
    const std::vector<std::vector<KeyVal>> now = schemeSets(m_controller);
    for (size_t s = 0; s < m_sets.size() && s < now.size(); ++s) {
        for (size_t i = 0; i < m_sets[s].size() && i < now[s].size(); ++i) {
            if (m_sets[s][i].key != now[s][i].key || m_sets[s][i].value != now[s][i].value) {
                return "scheme " + std::to_string(s) + " holds key " + std::to_string(now[s][i].key) + " = " +
                       std::to_string(static_cast<int32_t>(now[s][i].value)) + ", not " +
                       std::to_string(static_cast<int32_t>(m_sets[s][i].value));
            }
        }
    }
    return "";
}

void catchCheckSignals()
{
    g_nInterruption = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 2; ++i) sigaction(kCaught[i], &action, &g_previous[i]);
}

void releaseCheckSignals()
{
    for (int i = 0; i < 2; ++i) sigaction(kCaught[i], &g_previous[i], nullptr);
}

int checkInterruption()
{
    return g_nInterruption;
}
