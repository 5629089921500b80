#include "Output.h"

#include <cstdio>

#include "Commands.h"
#include "KeyNames.h"

namespace {

bool g_bJson = false;

void printLine(const std::string& line)
{
    std::fprintf(results(), "%s\n", line.c_str());
}

std::string joinTabs(const std::vector<std::string>& cells)
{
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i == 0 ? "" : "\t") + cells[i];
    return line;
}

} // namespace

void setJsonOutput(bool json)
{
    g_bJson = json;
}

bool jsonOutput()
{
    return g_bJson;
}

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

Json jsonCell(const std::string& text)
{
    int number = 0;
    if (parseNumber(text, number)) return number;
    return text;
}

void printJson(const Json& document)
{
    if (g_bJson) printLine(document.dump());
}

void printTable(const Table& table)
{
    if (g_bJson) {
        Json rows = Json::array();
        for (const std::vector<std::string>& row : table.rows) {
            Json object = Json::object();
            for (size_t i = 0; i < row.size() && i < table.columns.size(); ++i) object[table.columns[i]] = jsonCell(row[i]);
            rows.push_back(object);
        }
        return printJson(rows);
    }
    if (table.header) printLine(joinTabs(table.columns));
    for (const std::vector<std::string>& row : table.rows) printLine(joinTabs(row));
}

void printFields(const Fields& fields)
{
    if (g_bJson) {
        Json object = Json::object();
        for (const auto& field : fields) object[field.first] = jsonCell(field.second);
        return printJson(object);
    }
    for (const auto& field : fields) printLine(field.first + "\t" + field.second);
}

void printValues(const std::vector<std::string>& values)
{
    if (g_bJson) {
        Json array = Json::array();
        for (const std::string& value : values) array.push_back(jsonCell(value));
        return printJson(array);
    }
    for (const std::string& value : values) printLine(value);
}

void printValue(const std::string& value)
{
    if (g_bJson) return printJson(jsonCell(value));
    printLine(value);
}
