// How commands print what they found: tab-separated text for people and
// shell pipes, or under --json one JSON document a line per command output.
#ifndef SENSORCTL_OUTPUT_H
#define SENSORCTL_OUTPUT_H

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    bool header = true; // the text form starts with the column names
};

// Objects keep the order of their columns.
typedef nlohmann::ordered_json Json;

typedef std::vector<std::pair<std::string, std::string>> Fields;

void setJsonOutput(bool json);
bool jsonOutput();

// Text: tab-separated rows; JSON: an array of objects by column name.
void printTable(const Table& table);
// Text: "name<TAB>value" lines; JSON: one object.
void printFields(const Fields& fields);
// Text: one value a line; JSON: an array.
void printValues(const std::vector<std::string>& values);
// Text: the value as a line; JSON: the value alone.
void printValue(const std::string& value);
// A document of its own shape; nothing in text form.
void printJson(const Json& document);
// A line's tab-separated fields.
std::vector<std::string> splitFields(const std::string& line);
// An integer text as a JSON number, anything else as a string.
Json jsonCell(const std::string& text);

#endif
