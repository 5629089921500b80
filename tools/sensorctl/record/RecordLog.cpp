#include "RecordLog.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Cli.h"

namespace {

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

} // namespace

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

RecordLog parseRecordLog(const std::string& text)
{
    RecordLog log;
    std::istringstream in(text);
    std::string line, time;
    RecordedCall open; // the call whose result is awaited
    bool opened = false;
    bool complete = false;
    while (std::getline(in, line)) {
        // The last line without its line end may be cut anywhere.
        complete = !in.eof();
        if (!complete) break;
        const size_t timeAt = startsWith(line, "# at ") ? 5 : startsWith(line, "# thread ") ? 9 : 0;
        if (log.firstTime.empty() && timeAt != 0) log.firstTime = line.substr(timeAt, 8);
        if (startsWith(line, "# at ")) {
            time = line.substr(5);
            opened = false;
        } else if (startsWith(line, "--channel ")) {
            open = RecordedCall{time, line, {}, ""};
            opened = true;
        } else if (opened && startsWith(line, "# isp ")) {
            open.isp.push_back(line.substr(2));
        } else if (opened && startsWith(line, "# = ")) {
            open.result = line.substr(4);
            log.calls.push_back(open);
            opened = false;
        } else if (startsWith(line, "# thread ") && line.find(" isp ") != std::string::npos) {
            log.threadIsp.push_back(line.substr(line.find(" isp ") + 1));
        } else if (startsWith(line, "# dropped ")) {
            log.dropped += std::atoll(line.c_str() + 10);
        }
    }
    return log;
}

std::string readRecorderFiles(const std::string& root)
{
    return readWholeFile(root + "/mnt/mtd/log/sensor_record.1") + readWholeFile(root + "/mnt/mtd/log/sensor_record.0");
}

bool splitRecordedLine(const std::string& line, int& channel, std::vector<std::string>& words)
{
    words = splitWords(line);
    if (words.size() < 4 || words[0] != "--channel" || words[2] != "op") return false;
    channel = std::atoi(words[1].c_str());
    words.erase(words.begin(), words.begin() + 3);
    return channel >= 1;
}
