// Argument text "(a,b,...)" as the host sends it with a list of ids or a
// sensor check: accepted only in its one form, and never read past.
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ISensorController.h"

namespace {

// An argument text starts with "(", ends with ")" and has no other ")".
bool wellFormed(const std::string& text)
{
    return text.size() >= 3 && text.front() == '(' && text.find(')') == text.size() - 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::deviceRoot();
    // Not started: reads go to the simulated ISP, which answers every key.
    static ISensorController controller;
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> pieces;
    if (controller.parseSensorParameter(text, pieces) && !wellFormed(text)) std::abort();

    std::string out = "unchanged";
    const bool parsed = controller.getParameters(text, out);
    if (!parsed && out != "unchanged") std::abort();

    std::string check = text;
    controller.SensorCheck(check);
    return 0;
}
