// A video module that, told of a change, reads the value back from its
// controller (getParameter from inside notifySensorParam), as some hosts'
// modules do, on whatever thread told it; otherwise it answers as
// RecordingVideo does.
#ifndef TESTS_READ_BACK_VIDEO_H
#define TESTS_READ_BACK_VIDEO_H

#include <atomic>
#include <mutex>
#include <vector>

#include "ControllerRig.h"

class ReadBackVideo : public RecordingVideo {
public:
    struct ReadBack {
        int key;
        bool ok;
        int value;
        bool onSensorThread; // told during a pass of the controller's sensor thread
    };

    // The controller to read from; none until set.
    void readFrom(ISensorController* controller) { m_controller = controller; }
    int notifySensorParam(int channel, int key, int value) override;
    std::vector<ReadBack> readBacks();

private:
    std::atomic<ISensorController*> m_controller{nullptr};
    std::mutex m_mutex;
    std::vector<ReadBack> m_readBacks;
};

#endif
