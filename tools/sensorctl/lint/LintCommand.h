// sensorctl lint [STYLE] [DIVERSITY]: prints every finding as
// FILE:LINE:COLUMN: message; without files, lints the style pair each channel
// of the device tree loads.
#ifndef SENSORCTL_LINT_COMMAND_H
#define SENSORCTL_LINT_COMMAND_H

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "StyleLint.h"

// The key table, the ranges of the tree's ISP profile and the detail fields
// of its module configuration (besides the ones every module may carry).
LintRules rulesOfTree();

// The style and diversity files a channel of the tree loads (host paths).
std::pair<std::string, std::string> channelStylePair(int channel);

// 0: clean, 1: findings (or nothing to lint).
int runLint(const std::vector<std::string>& args, std::FILE* out, std::FILE* errors);

#endif
