#ifndef TECHNIC_VX_FILE_H
#define TECHNIC_VX_FILE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Plain file access. Paths are device paths, resolved under SENSOR_ROOTFS.
class VXFile {
public:
    enum : unsigned char {
        modeRead = 1,
        modeWrite = 2,
        modeAppend = 4,
        modeTruncate = 64,
    };

    VXFile();
    ~VXFile(); // closes an open file
    VXFile(const VXFile&) = delete;
    VXFile& operator=(const VXFile&) = delete;

    // modeWrite creates a missing file; modeTruncate cuts it to zero length.
    bool open(const char* name, unsigned char mode = modeRead);
    bool isOpen() const { return m_pFile != nullptr; }
    unsigned int read(char* buf, unsigned int len);
    unsigned int write(const char* buf, unsigned int len);
    // Length of the open file; 0 when nothing is open.
    int64_t getLength();
    // Next line without its line end; false at end of file.
    bool ReadOneLine(std::string& line);
    // Every remaining line, without line ends; returns the number read.
    int ReadLines(std::vector<std::string>& lines);
    void close();

    // For saves that must survive a power cut: write a temporary beside the
    // target, sync() it, close, rename() it over the target, then
    // syncFolder() so the new name is on the medium too. Each returns true
    // on success; names are device paths.

    // Pushes the open file's buffered data to the medium (fflush + fsync).
    bool sync();
    // Replaces `to` with `from` in one step (both in the same folder).
    static bool rename(const char* from, const char* to);
    // Makes a folder's entries (a rename, a new file) durable.
    static bool syncFolder(const char* path);
    static bool remove(const char* name);

private:
    FILE* m_pFile = nullptr;
};

#endif
