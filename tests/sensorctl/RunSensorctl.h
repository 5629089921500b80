// sensorctl run as a program, its output and exit code, for the tests of its commands.
#ifndef TESTS_RUN_SENSORCTL_H
#define TESTS_RUN_SENSORCTL_H

#include <string>

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

std::string readAll(const std::string& path);
// Runs sensorctl with the arguments (shell words) on the root; "" for no --root.
Outcome runSensorctl(const std::string& root, const std::string& args);

#endif
