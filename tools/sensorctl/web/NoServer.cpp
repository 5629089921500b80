// Builds without the HTTP library (cross builds for the camera): the page
// commands say so.
#include <cstdio>

#include "ServeCommand.h"

namespace {

int unavailable(const std::vector<std::string>&)
{
    std::fprintf(stderr, "sensorctl: built without libcpp-httplib-dev: no imaging page\n");
    return 1;
}

} // namespace

int runServe(const std::vector<std::string>& args)
{
    return unavailable(args);
}

int runPreview(const std::vector<std::string>& args)
{
    return unavailable(args);
}
