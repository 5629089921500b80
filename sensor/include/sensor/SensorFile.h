// Files and style documents: parameter files, the version stamp, detail
// fields of the module configuration, the style merge, the dynamic style and
// the factory defaults taken from it.
#ifndef SENSOR_SENSOR_FILE_H
#define SENSOR_SENSOR_FILE_H

#include <cstdint>
#include <string>

#include <tinyxml.h>

#include "ia_ioctrl.h"

#include "SensorApi.h"
#include "SensorTypes.h"

// --- whole files, parameter files and the version stamp ---
SENSOR_API INT64 getFileLen(const char* file_name);
SENSOR_API int loadFromFile(const char* file_name, char* data, INT64 file_len);
SENSOR_API int saveToFile(char* file_name, char* data, INT64 file_len);
SENSOR_API int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
SENSOR_API int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum);
SENSOR_API int getVersion(u32* p_pnVersion);
SENSOR_API int setVersion(u32 p_nVersion);

// --- detail text fields, e.g. "(isInfrared=1)(max_scheme=4)" ---
// The value text is cut to kDetailValueMax characters; the string form
// writes no terminator, so the caller passes a zeroed buffer of at least
// kDetailValueMax + 1 bytes.
constexpr int kDetailValueMax = 9;
SENSOR_API int getDetailFieldTou32(const char* p_szDetail, const char* p_szName, u32* p_pnValue);
SENSOR_API int getDetailFieldToStr(const char* p_szDetail, const char* p_szName, char* p_szValue);

// --- style merge ---
SENSOR_API int mergeStyle(int p_nChannelID, ModuleConfig* moduleConfig, char** ui_style, char* ui_styleDiversity);
SENSOR_API int updateStyleTab(TiXmlDocument* doc_style, const char* p_szOperation, const char* p_szTabKey,
                              const TiXmlElement* p_pNewTab);

// --- dynamic style ---
SENSOR_API int getDnaStyle(int p_channelID, const char* szStyle, std::string& p_strDnaStyle, bool p_bShowWDRFalg,
                           bool p_bShowLDCFlag);
SENSOR_API int doDnaStyle(TiXmlElement* pRootNode, int p_nCmd, const ia_dynamic_params_attr_st* p_pDnaParam);
SENSOR_API int doCustomizeStyle(TiXmlElement* pRootNode, int p_nCmd, ia_dynamic_params_attr_st* p_pDnaParam);
SENSOR_API int getDnaValbyCmdId(TiXmlElement* pRootNode, int p_nId, int& p_nValue);
SENSOR_API int getNodebyCmdId(TiXmlElement* pRootNode, int p_nId, TiXmlElement*& p_pNode);
SENSOR_API int DeleteNode(TiXmlElement* pRootNode, TiXmlElement* pNode);
SENSOR_API int ModifyNodebyCmdId(TiXmlElement* pRootNode, int p_nId);

// --- factory defaults ---
// The caller's array must hold every item of the style.
SENSOR_API int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
                          bool p_bShowWDRFalg, bool p_bShowLDCFlag);
SENSOR_API int style2KeyVal(TiXmlElement* pRootNode, KeyVal* p_pKeyVal, u32* p_pnKeyValNum);
// As above; p_nCapacity bounds the records written to p_pKeyVal, items past
// it are reported and left out (the library's own callers use these).
SENSOR_API int getFctDataBounded(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
                                 bool p_bShowWDRFalg, bool p_bShowLDCFlag, u32 p_nCapacity);
SENSOR_API int style2KeyValBounded(TiXmlElement* pRootNode, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nCapacity);

#endif
