// Factory defaults: every item of the dynamic style that carries both "id"
// and "value" gives one record, in document order, parents first.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "SensorFile.h"
#include "SensorReport.h"
#include "SensorXml.h"

static const char* const kReportModule = "SensorFile";

// Reports of the bounded variants name the function they serve, as before.
#define SNS_SITE_OF(name, signature) (::sensor::ReportSite{kReportModule, name, __LINE__, signature})

namespace {

struct RecordSink {
    KeyVal* records;
    u32* count;
    u32 capacity;
    u32 leftOut;
};

// Decimal text to the 32-bit record word; "-1" is stored as 4294967295.
u32 recordWord(const char* text)
{
    return static_cast<u32>(std::atoi(text));
}

void collectRecords(const TiXmlElement* element, RecordSink& sink)
{
    if (element == nullptr) return;
    const char* id = element->Attribute("id");
    const char* value = element->Attribute("value");
    if (id != nullptr && value != nullptr) {
        if (*sink.count < sink.capacity) {
            sink.records[*sink.count] = KeyVal{recordWord(id), recordWord(value)};
            ++*sink.count;
        } else {
            ++sink.leftOut;
        }
    }
    for (const TiXmlElement* child = element->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        collectRecords(child, sink);
    }
}

} // namespace

int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, bool p_bShowWDRFalg,
               bool p_bShowLDCFlag)
{
    return getFctDataBounded(p_channelID, p_szStyle, p_pKeyVal, p_pnKeyValNum, p_bShowWDRFalg, p_bShowLDCFlag,
                             UINT32_MAX);
}

int getFctDataBounded(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, bool p_bShowWDRFalg,
                      bool p_bShowLDCFlag, u32 p_nCapacity)
{
    std::string strDnaStyle;
    getDnaStyle(p_channelID, p_szStyle, strDnaStyle, p_bShowWDRFalg, p_bShowLDCFlag);

    TiXmlDocument objDnaStyleDoc;
    if (!LoadMem(objDnaStyleDoc, strDnaStyle.c_str(), TIXML_ENCODING_UTF8)) {
        sensor::reportAssert(SNS_SITE_OF("getFctData", "int getFctData(int, char*, KeyVal*, u32*, bool, bool)"),
                             "objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)", "");
    }
    if (p_pnKeyValNum == nullptr) return SNS_SUCCESS;
    *p_pnKeyValNum = 0;
    style2KeyValBounded(objDnaStyleDoc.RootElement(), p_pKeyVal, p_pnKeyValNum, p_nCapacity);
    return SNS_SUCCESS;
}

int style2KeyVal(TiXmlElement* pRootNode, KeyVal* p_pKeyVal, u32* p_pnKeyValNum)
{
    return style2KeyValBounded(pRootNode, p_pKeyVal, p_pnKeyValNum, UINT32_MAX);
}

int style2KeyValBounded(TiXmlElement* pRootNode, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nCapacity)
{
    if (pRootNode == nullptr || p_pnKeyValNum == nullptr) return 0;
    RecordSink sink{p_pKeyVal, p_pnKeyValNum, p_pKeyVal == nullptr ? 0 : p_nCapacity, 0};
    collectRecords(pRootNode, sink);
    if (sink.leftOut != 0) {
        sensor::report(sensor::ReportKind::Warn,
                       SNS_SITE_OF("style2KeyVal", "int style2KeyVal(TiXmlElement*, KeyVal*, u32*)"),
                       "%u style items left out: the array holds %u records\n", sink.leftOut, sink.capacity);
    }
    return 0;
}
