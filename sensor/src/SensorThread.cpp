// One pass of the sensor thread: the deferred field-of-view request, then
// the automatic scheme selection.
#include "ControllerLock.h"
#include "ISensorController.h"
#include "SensorKeys.h"
#include "VexloTime.h"
#include "Recorder.h"

namespace {

// The controller whose sensor-thread pass this thread is running, if any.
// Initial-exec: read at a fixed offset from the thread pointer, so the
// library asks nothing of the dynamic loader for it.
__attribute__((tls_model("initial-exec"))) thread_local const void* t_pPassOwner = nullptr;

} // namespace

namespace sensor {

SensorPassScope::SensorPassScope(const void* owner) : m_pOuter(t_pPassOwner)
{
    t_pPassOwner = owner;
}

SensorPassScope::~SensorPassScope()
{
    t_pPassOwner = m_pOuter;
}

bool inSensorPassOf(const void* owner)
{
    return owner != nullptr && t_pPassOwner == owner;
}

} // namespace sensor

int ISensorController::sensorThread()
{
    const sensor::SensorPassScope objPass(this);
    // A factory reset restarts the thread while it is still running; its
    // passes must not hold it up.
    if (!testFlag(FLAG_RESETTING)) {
        VexloTime::wait(VexloTime(1, 0));
    }

    const sensor::recorder::Inside objRecorderPass;
    // Whichever channel received the request, the channel of camera id 1 serves it.
    if (m_nChanneldDosomething.load() == m_nCameraID) {
        if (m_nPassKeycmd.load() == static_cast<int>(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV)) {
            sync_fov();
        }
        m_nPassKeycmd = -1;
        m_nChanneldDosomething = -1;
    }

    selectScheme();
    return 0;
}
