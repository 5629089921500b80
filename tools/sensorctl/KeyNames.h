// Key numbers by name and back, from the library's key table, so a key can
// be written as 34, KEY_BRIGHTNESS or brightness wherever a number is.
#ifndef SENSORCTL_KEY_NAMES_H
#define SENSORCTL_KEY_NAMES_H

#include <string>
#include <vector>

// The constant's name of a known key ("KEY_BRIGHTNESS"), nullptr otherwise.
const char* keyConstantName(int key);
// A decimal int, no blank or "+" before it; false otherwise.
bool parseNumber(const std::string& text, int& value);
// A number, or a key name in any case with or without "KEY_"; false when neither.
bool parseKey(const std::string& text, int& key);
// Every key's constant name, in table order (tab completion).
std::vector<std::string> keyConstantNames();

#endif
