// Reading the flight recorder's log (sensor_record.0 and .1): the host
// operations, each with the ISP calls it caused and its result.
#ifndef SENSORCTL_RECORD_LOG_H
#define SENSORCTL_RECORD_LOG_H

#include <string>
#include <vector>

struct RecordedCall {
    std::string time;              // "HH:MM:SS" at entry
    std::string line;              // the script line: "--channel C op NAME ARGS"
    std::vector<std::string> isp;  // "isp CH CMD OPT VALUE = RESULT", in order
    std::string result;            // "RESULT OUTPUTS..."
};

struct RecordLog {
    std::vector<RecordedCall> calls;
    // The ISP calls of start-up and the sensor threads, in order, without their times.
    std::vector<std::string> threadIsp;
    long long dropped = 0; // records the device could not write
    // "HH:MM:SS" of the first record, a thread's or a call's: the recording's
    // start when the log holds it whole.
    std::string firstTime;
};

// Parses a log. A record cut short (a power cut, the end of a rotated file)
// and lines of no record are skipped.
RecordLog parseRecordLog(const std::string& text);

// A whole file's bytes; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

// The text of the recorder's two files under a device tree, the older first;
// empty when there is none.
std::string readRecorderFiles(const std::string& root);

// A call's line split into channel, operation and argument words.
bool splitRecordedLine(const std::string& line, int& channel, std::vector<std::string>& words);

#endif
