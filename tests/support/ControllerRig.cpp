#include "ControllerRig.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "MachineInfo.h"
#include "isp_sim.h"

void RecordingVideo::getAVStreamParams(std::vector<AVStreamParam>& out)
{
    out = streams;
}

int RecordingVideo::notifySensorParam(int channel, int key, int value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notes.push_back({channel, key, value});
    return answer;
}

void RecordingVideo::getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam& param)
{
    param = wdr;
}

int RecordingVideo::isBusy()
{
    ++busyQueries;
    if (busyAnswers > 0) {
        --busyAnswers;
        return 1;
    }
    return 0;
}

std::vector<RecordingVideo::Note> RecordingVideo::notes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes;
}

void RecordingVideo::clearNotes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notes.clear();
}

ControllerRig::ControllerRig(bool withExample, Pace pace) : m_root(withExample)
{
    if (pace == Pace::kLockstep) technic_sim::driveClockFromThisThread(true);
    // Tests choose their own verbosity.
    m_root.remove("/tmp/Debug.sign");
    clearFieldOfViewRequest();
    isp_sim::reset();
    if (withExample) isp_sim::loadProfile("/mnt/mtd/isp_profile.ini");
    technic_sim::setLocalTime(12, 0, 0);
}

ControllerRig::~ControllerRig()
{
    for (auto& entry : m_controllers) {
        ControllerProbe* controller = entry.second.get();
        runWithClock([controller] { controller->uinit(); });
    }
    m_controllers.clear();
    isp_sim::reset();
    clearFieldOfViewRequest();
}

void ControllerRig::clearFieldOfViewRequest()
{
    ISensorController::m_nPassKeycmd = -1;
    ISensorController::m_nChanneldDosomething = -1;
}

ModuleConfigure ControllerRig::moduleConfig(int channel) const
{
    MachineInfo info;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", info);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", info.getHardwareModel(),
                                 info.getHardwareCode(), modules);
    if (channel >= 1 && static_cast<size_t>(channel) <= modules.size()) return modules[channel - 1];
    return ModuleConfigure();
}

ControllerProbe& ControllerRig::construct(int channel)
{
    auto video = std::make_unique<RecordingVideo>();
    auto controller = std::make_unique<ControllerProbe>();
    controller->setChannelID(channel);
    controller->setVideoStreamModule(video.get());
    ControllerProbe& result = *controller;
    m_videos[channel] = std::move(video);
    m_controllers[channel] = std::move(controller);
    return result;
}

ControllerProbe& ControllerRig::start(int channel)
{
    return start(channel, moduleConfig(channel));
}

ControllerProbe& ControllerRig::start(int channel, const ModuleConfigure& config)
{
    ControllerProbe& controller = construct(channel);
    runWithClock([&controller, &config] { controller.init(config); });
    settle();
    return controller;
}

void ControllerRig::runWithClock(const std::function<void()>& fn)
{
    if (technic_sim::drivesClock()) {
        fn();
        return;
    }
    std::atomic<bool> done{false};
    std::thread worker([&] {
        fn();
        done = true;
    });
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done) {
        if (std::chrono::steady_clock::now() > giveUp) {
            worker.detach();
            throw std::runtime_error("operation did not return while the clock moved");
        }
        if (technic_sim::blockedWaiters() > 0) {
            technic_sim::advance(0, 500000);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    worker.join();
}

int ControllerRig::runningThreads() const
{
    int running = 0;
    for (const auto& entry : m_controllers) {
        if (entry.second->threadRunning()) ++running;
    }
    return running;
}

void ControllerRig::settle() const
{
    if (technic_sim::drivesClock()) return;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    long entries = -1;
    while (entries != technic_sim::waitEntries() || technic_sim::blockedWaiters() < runningThreads()) {
        if (std::chrono::steady_clock::now() > giveUp) return;
        entries = technic_sim::waitEntries();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ControllerRig::passes(int n)
{
    for (int i = 0; i < n; ++i) {
        technic_sim::advanceAndSettle(1, 0, runningThreads());
    }
}
