// Checks a style document and its style-diversity document for the mistakes
// that make the imaging page wrong without any error at start-up.
#ifndef SENSORCTL_STYLE_LINT_H
#define SENSORCTL_STYLE_LINT_H

#include <map>
#include <set>
#include <string>
#include <vector>

struct LintFinding {
    std::string file;
    int line = 0;
    int column = 0;
    std::string message;
};

// What the documents are checked against.
struct LintRules {
    std::set<int> keys; // the key table
    // Commands the ISP publishes a range for: the lowest and highest value
    // it offers. Options outside can never be shown.
    std::map<int, std::pair<int, int>> offered;
    // Their defaults, which the start-up writes into the item's value: the
    // factory default of the key.
    std::map<int, int> offeredDefaults;
    std::set<std::string> detailFields; // names a condition may test
};

// diversityFile may be empty: the style alone is checked.
std::vector<LintFinding> lintStyleFiles(const std::string& styleFile, const std::string& diversityFile,
                                        const LintRules& rules);

// "FILE:LINE:COLUMN: message"
std::string formatFinding(const LintFinding& finding);

#endif
