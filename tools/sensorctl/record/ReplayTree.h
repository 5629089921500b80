// The device tree a recording runs on: the recorder switched on with room for
// the whole run, its earlier files gone.
#ifndef SENSORCTL_REPLAY_TREE_H
#define SENSORCTL_REPLAY_TREE_H

#include <string>

// Writes the switch file; false when the tree records already (its own
// recording is left alone) or takes no file.
bool switchRecorderOn(const std::string& root, std::string& error);
// Removes the switch file and the recorder's files.
void switchRecorderOff(const std::string& root);

// A temporary folder, removed with everything in it when it goes.
class TemporaryTree {
public:
    TemporaryTree();
    ~TemporaryTree();
    TemporaryTree(const TemporaryTree&) = delete;
    TemporaryTree& operator=(const TemporaryTree&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

#endif
