// Maps a device path ("/mnt/mtd/...", "/tmp/...") onto the PC folder named by
// SENSOR_ROOTFS. On the camera the variable is unset and paths pass unchanged.
// Header-only so the library and every stand-in share one rule without a link
// dependency the camera's own framework would have to satisfy.
#ifndef TECHNIC_DEVICE_PATH_H
#define TECHNIC_DEVICE_PATH_H

#include <cstdlib>
#include <string>
#include <vector>

namespace technic {

// Lexically normalises an absolute path: "." and ".." are folded and ".."
// never climbs above "/", so the result cannot leave the root it is put under.
inline std::string normaliseDevicePath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string piece;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (piece == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!piece.empty() && piece != ".") {
                parts.push_back(piece);
            }
            piece.clear();
        } else {
            piece += path[i];
        }
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

inline std::string deviceRoot()
{
    const char* root = std::getenv("SENSOR_ROOTFS");
    if (root == nullptr || root[0] == '\0') return "/";
    return root;
}

// A relative path is taken as relative to the device's "/".
inline std::string devicePath(const std::string& path)
{
    const std::string root = deviceRoot();
    const std::string inside = normaliseDevicePath(path.empty() || path[0] != '/' ? "/" + path : path);
    if (root == "/") return inside;
    std::string base = root;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return inside == "/" ? base : base + inside;
}

} // namespace technic

#endif
