#include "RunSensorctl.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

std::string readAll(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Outcome runSensorctl(const std::string& root, const std::string& args)
{
    const std::string errPath = testing::TempDir() + "sensorctl-" + std::to_string(getpid()) + ".err";
    const std::string command = std::string("env -u SENSOR_ROOTFS ") + SENSORCTL_BINARY +
                                (root.empty() ? "" : " --root '" + root + "'") + " " + args + " 2>" + errPath;
    Outcome outcome{-1, "", ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, got);
    const int status = pclose(pipe);
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = readAll(errPath);
    return outcome;
}
