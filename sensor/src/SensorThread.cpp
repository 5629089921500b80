// One pass of the sensor thread: the deferred field-of-view request, then
// the automatic scheme selection.
#include "ISensorController.h"
#include "SensorKeys.h"
#include "VexloTime.h"
#include "Recorder.h"

int ISensorController::sensorThread()
{
    // A factory reset restarts the thread while it is still running; its
    // passes must not hold it up.
    if (!testFlag(FLAG_RESETTING)) {
        VexloTime::wait(VexloTime(1, 0));
    }

    const sensor::recorder::Inside objPass;
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
