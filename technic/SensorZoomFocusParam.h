#ifndef TECHNIC_SENSOR_ZOOM_FOCUS_PARAM_H
#define TECHNIC_SENSOR_ZOOM_FOCUS_PARAM_H

// Lens lock state: while locked, zoom and focus commands are not carried out.
class SensorZoomFocusParam {
public:
    bool getLockZoomFocusEnable() const { return m_bLockZoomFocus; }
    void setLockZoomFocusEnable(bool lock) { m_bLockZoomFocus = lock; }

private:
    bool m_bLockZoomFocus = false;
};

#endif
