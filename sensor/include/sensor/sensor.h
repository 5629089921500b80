// System configuration of one channel, taken from the host's module
// configuration, the factory machine information and the style documents.
#ifndef SENSOR_SENSOR_H
#define SENSOR_SENSOR_H

#include "ModuleConfigure.h"

#include "SensorApi.h"
#include "SensorTypes.h"

// Host texts longer than szParameters (255 characters) or szDetail (511) are
// cut at the field and reported.
SENSOR_API int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf);
SENSOR_API void uinitSysConf(SysConfig* p_stSysConf);

#endif
