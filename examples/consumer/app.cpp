// A program built against the installed library: a pair text through the
// library's own parser and back, and a controller object built and destroyed.
#include <cstdio>
#include <string>

#include "ISensorController.h"
#include "SensorKeyVal.h"
#include "SensorKeys.h"

int main()
{
    KeyVal pairs[4] = {};
    u32 count = 0;
    keyval_str2st("(34,60)(2368,1)", pairs, &count);
    std::string text;
    keyval_st2str(text, pairs, count);
    ISensorController controller;
    std::printf("%s brightness=%u sensor started=%d\n", text.c_str(), pairs[0].key == KEY_BRIGHTNESS ? pairs[0].value : 0,
                controller.getSensorStatus() ? 1 : 0);
    return text == "(34,60)(2368,1)" ? 0 : 1;
}
