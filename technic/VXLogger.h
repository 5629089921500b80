#ifndef TECHNIC_VX_LOGGER_H
#define TECHNIC_VX_LOGGER_H

#include <string>

// Rotating log file: when the file would pass the size limit it is renamed to
// "<name>.1" (older ones shift up to "<name>.<count-1>") and a new one starts.
class VXLogger {
public:
    VXLogger();
    ~VXLogger();
    VXLogger(const VXLogger&) = delete;
    VXLogger& operator=(const VXLogger&) = delete;

    // maxBytes: size at which the file rotates; fileCount: files kept in all.
    bool init(const char* fileName, unsigned int maxBytes, unsigned int fileCount);
    // Appends "<tag> <text>" (a newline is added when the text has none).
    bool writeLog(const char* tag, const char* text);

private:
    void rotate();

    std::string m_strPath;
    unsigned int m_nMaxBytes = 0;
    unsigned int m_nFileCount = 0;
};

#endif
