// System configuration of one channel, taken from the host's module
// configuration, the factory machine information and the style documents.
#ifndef SENSOR_SENSOR_H
#define SENSOR_SENSOR_H

#include <string>

#include "ModuleConfigure.h"

#include "SensorApi.h"
#include "SensorTypes.h"

// Host texts longer than szParameters (255 characters) or szDetail (511) are
// cut at the field and reported.
SENSOR_API int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf);
SENSOR_API void uinitSysConf(SysConfig* p_stSysConf);
// The style and style-diversity documents initSysConf loads for a channel
// (camera id) of a device type.
SENSOR_API void getStyleDocuments(int p_nChannelID, int p_nDeviceType, std::string& p_strStyle,
                                  std::string& p_strDiversity);

#endif
