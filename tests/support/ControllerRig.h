// A device for controller tests: its own device root (a copy of the sample
// tree), a freshly reset simulated ISP loaded with the tree's profile, the
// simulated clock at 12:00, and controllers started through the real init.
#ifndef TESTS_CONTROLLER_RIG_H
#define TESTS_CONTROLLER_RIG_H

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "ISensorController.h"
#include "ModuleConfigure.h"
#include "SimClock.h"
#include "TestRoot.h"
#include "VideoStreamModule.h"

// Exposes the controller's state to tests.
class ControllerProbe : public ISensorController {
public:
    using ISensorController::FLAG_INITIALISING;
    using ISensorController::FLAG_RESETTING;
    using ISensorController::FLAG_RESTORING;
    using ISensorController::FLAG_SWITCHING;
    using ISensorController::clearFlag;
    using ISensorController::setFlag;
    using ISensorController::testFlag;

    using ISensorController::m_bDNScheme;
    using ISensorController::m_bHasLens;
    using ISensorController::m_bisLimitedIrPower;
    using ISensorController::m_bLPRDevice;
    using ISensorController::m_bShowLDCFlag;
    using ISensorController::m_bShowWDRFalg;
    using ISensorController::m_bThermalChannel;
    using ISensorController::m_bTimeScheme;
    using ISensorController::m_nCameraID;
    using ISensorController::m_nCurScheme;
    using ISensorController::m_nKeyCmdSum;
    using ISensorController::m_nKeyValSum;
    using ISensorController::m_nLastScheme;
    using ISensorController::m_nParamMode;
    using ISensorController::m_nVersion;
    using ISensorController::m_pFctKeyVal;
    using ISensorController::m_pKeyCmdMap;
    using ISensorController::m_ppUserKeyVal;
    using ISensorController::m_stSysConf;

    bool threadRunning() const { return m_pSensorThread != nullptr && m_pSensorThread->isRunning(); }
    u32 schemeCount() const { return m_stSysConf.nSchemeSum; }
    // Value of a key in a set, or -1 (as u32) when absent.
    u32 cached(u32 scheme, u32 key)
    {
        u32 value = 0xFFFFFFFFu;
        getKeyValFromCache(scheme, key, value);
        return value;
    }
    // Gives the records of a key in scheme 0 another key, to take it out of the scheme.
    void renameKey(u32 from, u32 to)
    {
        for (u32 i = 0; i < m_nKeyValSum; ++i) {
            if (m_ppUserKeyVal[0][i].key == from) m_ppUserKeyVal[0][i].key = to;
        }
    }
};

// Records what the controller tells the video module, and answers as told.
class RecordingVideo : public VideoStreamModule {
public:
    struct Note {
        int channel;
        int key;
        int value;
    };

    void getAVStreamParams(std::vector<AVStreamParam>& streams) override;
    int notifySensorParam(int channel, int key, int value) override;
    void getLimitedFramesWDRModeParam(int cameraId, LimitedFramesWDRModeParam& param) override;
    int isBusy() override;

    std::vector<Note> notes();
    void clearNotes();

    int answer = 0;        // returned by every notification
    int busyAnswers = 0;   // the next this-many isBusy calls say busy
    int busyQueries = 0;   // isBusy calls so far
    std::vector<AVStreamParam> streams;
    LimitedFramesWDRModeParam wdr;

private:
    std::mutex m_mutex;
    std::vector<Note> m_notes;
};

class ControllerRig {
public:
    // kLockstep: the test's thread drives the clock and the sensor threads
    // take turns with it (SimClock.h), so every run makes the same calls in
    // the same order. kFreeRunning: the sensor threads run alongside the
    // test's threads, for tests of real concurrency.
    enum class Pace { kLockstep, kFreeRunning };

    explicit ControllerRig(bool withExample = true, Pace pace = Pace::kLockstep);
    ~ControllerRig(); // uinit and delete every controller, real clock again

    TestRoot& root() { return m_root; }
    // The tree's module configuration for a channel (empty when it has none).
    ModuleConfigure moduleConfig(int channel) const;
    // Constructs a controller for the channel and runs the host's start
    // sequence: setChannelID, setVideoStreamModule, init.
    ControllerProbe& start(int channel);
    ControllerProbe& start(int channel, const ModuleConfigure& config);
    // Constructs and names the channel without init.
    ControllerProbe& construct(int channel);
    RecordingVideo& video(int channel) { return *m_videos.at(channel); }
    ControllerProbe& controller(int channel) { return *m_controllers.at(channel); }

    // Runs fn; its waits move the clock on: in lockstep fn runs on the
    // driving thread itself, else on another thread while the clock moves
    // on in 0.5 s steps whenever anything waits on it, until fn returns.
    static void runWithClock(const std::function<void()>& fn);
    // Lets every running sensor thread make n passes.
    void passes(int n);
    // Returns once every running sensor thread is blocked in its wait and
    // no wait has begun for a moment, so the next pass starts from a known
    // point (in lockstep they always are, between the driver's waits).
    void settle() const;
    int runningThreads() const;
    // The field-of-view request is process-wide: a rig neither inherits one
    // nor leaves one behind.
    static void clearFieldOfViewRequest();

private:
    TestRoot m_root;
    technic_sim::SimulatedClockScope m_clock;
    std::map<int, std::unique_ptr<RecordingVideo>> m_videos;
    std::map<int, std::unique_ptr<ControllerProbe>> m_controllers;
};

#endif
