#ifndef TECHNIC_STRING_HANDLER_H
#define TECHNIC_STRING_HANDLER_H

#include <sstream>
#include <string>
#include <vector>

class StringHandler {
public:
    // Cuts text at every occurrence of separator; empty pieces are kept, and
    // an empty text gives no piece. out is cleared first.
    static void split(const std::string& text, std::vector<std::string>& out, const std::string& separator);

    // Converts text to T as a stream would; an unreadable text gives T().
    template <class T>
    static T str2type(const std::string& text)
    {
        std::istringstream stream(text);
        T value{};
        stream >> value;
        return stream.fail() ? T() : value;
    }
};

#endif
