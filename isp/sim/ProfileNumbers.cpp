#include "ProfileNumbers.h"

#include <cerrno>
#include <cstdlib>

namespace isp_sim {

namespace {

bool wholeWord(const std::string& word, const char* end)
{
    return !word.empty() && errno == 0 && end == word.c_str() + word.size();
}

} // namespace

bool parseInt32(const std::string& word, int32_t& out)
{
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(word.c_str(), &end, 10);
    if (!wholeWord(word, end) || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool parseCommand(const std::string& word, uint32_t& out)
{
    if (word.empty() || word[0] < '0' || word[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(word.c_str(), &end, 10);
    if (!wholeWord(word, end) || v > UINT32_MAX) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

bool parseInt32List(const std::string& text, std::vector<int32_t>& out)
{
    out.clear();
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        int32_t v = 0;
        if (!parseInt32(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), v)) {
            return false;
        }
        out.push_back(v);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

} // namespace isp_sim
