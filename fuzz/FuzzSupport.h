// Shared pieces of the fuzz targets: a private device root for the library's
// files, a quiet debug level, and the cutting of one input into parts.
#ifndef FUZZ_FUZZ_SUPPORT_H
#define FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace fuzz {

// Creates (once per process) a temporary device root holding a copy of the
// sample tree, points SENSOR_ROOTFS at it and writes a sign file that shows
// every report and aborts on none. The root is removed at exit. Returns its
// host path.
const std::string& deviceRoot();

// Writes bytes to a device path under the root.
void writeDeviceFile(const std::string& devicePath, const void* data, size_t size);

// Cuts the input at each NUL into at most `parts` pieces; the last piece
// keeps any further NULs. Missing pieces are empty.
std::vector<std::string> splitInput(const uint8_t* data, size_t size, size_t parts);

// Reads little-endian numbers from the front of an input; past its end every
// read gives 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : m_pData(data), m_nSize(size) {}
    uint8_t u8()
    {
        return m_nPos < m_nSize ? m_pData[m_nPos++] : 0;
    }
    int32_t i32()
    {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i) word |= static_cast<uint32_t>(u8()) << (8 * i);
        return static_cast<int32_t>(word);
    }
    std::string rest()
    {
        const size_t from = m_nPos < m_nSize ? m_nPos : m_nSize;
        m_nPos = m_nSize;
        return std::string(reinterpret_cast<const char*>(m_pData) + from, m_nSize - from);
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};

} // namespace fuzz

#endif
