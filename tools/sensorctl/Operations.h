// Named host operations of the controller that have no command of their own,
// reachable as "op NAME [ARGS]".
#ifndef SENSORCTL_OPERATIONS_H
#define SENSORCTL_OPERATIONS_H

#include <functional>
#include <string>
#include <vector>

#include "ISensorController.h"

struct Operation {
    const char* name;
    int argCount;
    // Fills out with the values the operation gives back, one a line.
    std::function<bool(ISensorController&, const std::vector<int>& args, std::vector<std::string>& out)> call;
    // Instead of call, for an operation whose first argument is a text: args
    // are the numbers after it (argCount counts the text too).
    std::function<bool(ISensorController&, const std::string& text, const std::vector<int>& args, std::vector<std::string>& out)>
        textCall = nullptr;
};

const std::vector<Operation>& operationTable();
// The operation of that name taking that many arguments, else the first of
// the name (its count then tells the caller what it takes); null for none.
const Operation* findOperation(const std::string& name, int argCount);

#endif
