// sensorctl's strict reading of pair text "(KEY,VALUE)(KEY,VALUE)...": no
// blanks, both numbers present, keys may be names. The library's own parser
// stays lenient; sensorctl hands it only text that passed this one.
#ifndef SENSORCTL_PAIR_TEXT_H
#define SENSORCTL_PAIR_TEXT_H

#include <string>
#include <utility>
#include <vector>

typedef std::vector<std::pair<int, int>> Pairs;

// False with a message naming the position of the first fault.
bool parsePairText(const std::string& text, Pairs& pairs, std::string& error);
std::string formatPairText(const Pairs& pairs);

#endif
