#include "StringHandler.h"

void StringHandler::split(const std::string& text, std::vector<std::string>& out, const std::string& separator)
{
    out.clear();
    if (text.empty()) return;
    if (separator.empty()) {
        out.push_back(text);
        return;
    }
    size_t start = 0;
    for (size_t found = text.find(separator); found != std::string::npos; found = text.find(separator, start)) {
        out.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    out.push_back(text.substr(start));
}
