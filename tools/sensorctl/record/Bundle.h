// A bug report's bundle: a plain tar (ustar) of what a replay needs from a
// device tree, written and read here without a library.
#ifndef SENSORCTL_BUNDLE_H
#define SENSORCTL_BUNDLE_H

#include <string>
#include <vector>

// The device paths a bundle takes (files, or folders taken whole) when present.
const std::vector<std::string>& bundledPaths();

// Writes the bundle of the tree `root` to `out`; the number of files in it.
bool writeBundle(const std::string& root, const std::string& out, size_t& files, std::string& error);
// Whether the file is a tar (the ustar mark of its first header).
bool isBundle(const std::string& path);
// Unpacks a bundle's regular files under `tree`; names that would leave it are refused.
bool extractBundle(const std::string& path, const std::string& tree, std::string& error);

// bundle --out FILE
int runBundle(const std::vector<std::string>& args);

#endif
