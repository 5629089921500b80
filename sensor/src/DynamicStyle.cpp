// The dynamic style: the merged style adapted to the ranges and options that
// the ISP publishes for the fitted sensor, less the items of features this
// device does not show.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "DynamicCommands.h"
#include "ISensorController.h"
#include "KeyFacts.h"
#include "SensorFile.h"
#include "SensorReport.h"
#include "SensorXml.h"
#include "IspCall.h"

static const char* const kReportModule = "SensorFile";

namespace {

const int kMaxShutterCmd = KEY_MAX_SHUTTER;
// A style value of 100 leaves the ISP default as it is (a value, not a key).
const int kKeepIspDefault = 100;

using sensor::readableCount;

bool isItem(const TiXmlElement* element, int id)
{
    const char* text = element->Attribute("id");
    return text != nullptr && std::atoi(text) == id;
}

// The elements whose "id" is the given one, in document order; the walk does
// not go into a found item. The item functions below change only the inside
// of an item, so the list stays valid while they work through it.
void collectItems(TiXmlElement* element, int id, std::vector<TiXmlElement*>& found)
{
    if (isItem(element, id)) {
        found.push_back(element);
        return;
    }
    for (TiXmlElement* child = element->FirstChildElement(); child != nullptr; child = child->NextSiblingElement()) {
        collectItems(child, id, found);
    }
}

std::vector<TiXmlElement*> itemsWithId(TiXmlElement* root, int id)
{
    std::vector<TiXmlElement*> found;
    if (root != nullptr) collectItems(root, id, found);
    return found;
}

bool isAllowed(int value, const ia_dynamic_params_attr_st& range)
{
    const int count = readableCount(range.items_cnt, IA_DYNAMIC_ITEMS_MAX);
    return std::find(range.item, range.item + count, value) != range.item + count;
}

bool takesStyleValue(int cmd)
{
    return cmd >= 0 && sensor::listed(sensor::kStyleValueKeys, static_cast<u32>(cmd));
}

// The style's own value of a shutter or focus item becomes the default when
// the ISP lists it; a customised maximum shutter brings its own list.
void applyStyleValue(TiXmlElement* root, int index, int cmd, ia_dynamic_params_attr_st& range)
{
    int nVal = 0;
    getDnaValbyCmdId(root, cmd, nVal);
    if (nVal == kKeepIspDefault) return;

    const int count = readableCount(range.items_cnt, IA_DYNAMIC_ITEMS_MAX);
    std::printf("dnaCmdList.cmd_list[%d] = dnaParamList.items_cnt(%d)\n", index, range.items_cnt);
    for (int i = 0; i < count; ++i) {
        std::printf(" dnaParamList.item[%d] = %d nVal = %d \n", i, range.item[i], nVal);
        if (range.item[i] == nVal) {
            range.default_val = nVal;
            break;
        }
    }
    std::fflush(stdout);
    if (nVal >= sensor::kCustomShutterList && cmd == kMaxShutterCmd) {
        doCustomizeStyle(root, kMaxShutterCmd, &range);
        range.default_val = nVal - sensor::kCustomShutterList;
    }
}

void removeItem(TiXmlElement* root, int id)
{
    TiXmlElement* node = nullptr;
    getNodebyCmdId(root, id, node);
    DeleteNode(root, node);
}

void removeHiddenItems(TiXmlElement* root, bool showWdr, bool showLdc)
{
    removeItem(root, KEY_EMPTY1);
    if (!showWdr) {
        for (u32 id : sensor::kWdrItemKeys) removeItem(root, static_cast<int>(id));
    }
    if (!showLdc) {
        for (u32 id : sensor::kLdcItemKeys) removeItem(root, static_cast<int>(id));
    }
    if (getshowBeawayFalg()) removeItem(root, KEY_EMPTY2);
}

} // namespace

int getDnaStyle(int p_channelID, const char* szStyle, std::string& p_strDnaStyle, bool p_bShowWDRFalg,
                bool p_bShowLDCFlag)
{
    const sensor::DynamicCommands query = sensor::queryDynamicCommands(p_channelID - 1);
    const ia_dynamic_cmd_list_st& dnaCmdList = query.list;
    SNS_CHECK_TEXT(SNS_SUCCESS == query.result,
                   "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
                   "(void*)(&dnaCmdList))",
                   "");

    TiXmlDocument objStyleXmlDoc;
    const bool parsed = szStyle != nullptr && LoadMem(objStyleXmlDoc, szStyle, TIXML_ENCODING_UTF8);
    SNS_CHECK_TEXT(parsed, "objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8)", "");
    // Whatever a broken text left half parsed is not adapted nor passed on.
    if (!parsed) objStyleXmlDoc.Clear();
    TiXmlElement* root = objStyleXmlDoc.RootElement();

    const int cmdCount = query.count;
    SNS_DBG("dnaCmdList.cmd_cnt(%d)\n", query.reported);

    // One record for all commands: a failed query leaves the previous
    // command's range in it.
    ia_dynamic_params_attr_st dnaParamList;
    std::memset(&dnaParamList, 0, sizeof dnaParamList);
    for (int i = 0; i < cmdCount; ++i) {
        const int cmd = dnaCmdList.cmd_list[i];
        SNS_DBG("dnaCmdList.cmd_list[%d] = cmd(%d)\n", i, cmd);
        SNS_CHECK_TEXT(SNS_SUCCESS == sensor::callIsp(p_channelID - 1, static_cast<u32>(cmd), IA_CMD_OPT_GET_PARAM_RNAGE,
                                                       &dnaParamList),
                       "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
                       "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))",
                       "");
        if (takesStyleValue(cmd)) applyStyleValue(root, i, cmd, dnaParamList);
        SNS_CHECK_TEXT(SNS_SUCCESS == doDnaStyle(root, cmd, &dnaParamList),
                       "SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(), dnaCmdList.cmd_list[i], "
                       "&dnaParamList)",
                       "");
    }

    removeHiddenItems(root, p_bShowWDRFalg, p_bShowLDCFlag);

    // Parsed from memory, the document carries no file name: the save then
    // fails at the open and writes nothing. A named document is not saved,
    // as its name would be a device path outside the device root.
    if (objStyleXmlDoc.ValueStr().empty()) (void)objStyleXmlDoc.SaveFile();
    getXmlString(objStyleXmlDoc, p_strDnaStyle);
    return SNS_SUCCESS;
}

int doDnaStyle(TiXmlElement* pRootNode, int p_nCmd, const ia_dynamic_params_attr_st* p_pDnaParam)
{
    if (pRootNode == nullptr) return 0;
    if (p_pDnaParam == nullptr) return -1;
    for (TiXmlElement* item : itemsWithId(pRootNode, p_nCmd)) {
        SNS_DBG("_________________cmd(%d) default(%d)__________________\n", p_nCmd, p_pDnaParam->default_val);
        item->SetAttribute("value", p_pDnaParam->default_val);
        TiXmlElement* option = item->FirstChildElement();
        while (option != nullptr) {
            TiXmlElement* next = option->NextSiblingElement();
            const char* index = option->Attribute("index");
            if (index == nullptr) return -1;
            if (!isAllowed(std::atoi(index), *p_pDnaParam)) {
                SNS_DBG("_________________delete comboitem(%s)__________________\n", index);
                item->RemoveChild(option);
            }
            option = next;
        }
    }
    return 0;
}

int doCustomizeStyle(TiXmlElement* pRootNode, int p_nCmd, ia_dynamic_params_attr_st* p_pDnaParam)
{
    if (p_pDnaParam == nullptr) return 0;
    for (TiXmlElement* item : itemsWithId(pRootNode, p_nCmd)) {
        int count = 0;
        for (TiXmlElement* option = item->FirstChildElement(); option != nullptr && count < IA_DYNAMIC_ITEMS_MAX;
             option = option->NextSiblingElement()) {
            const char* index = option->Attribute("index");
            if (index != nullptr) p_pDnaParam->item[count++] = std::atoi(index);
        }
        p_pDnaParam->items_cnt = count;
        if (count == 0) {
            p_pDnaParam->max = 0;
        } else {
            p_pDnaParam->max = p_pDnaParam->item[count - 1];
            p_pDnaParam->min = p_pDnaParam->item[0];
        }
    }
    return 0;
}

int getDnaValbyCmdId(TiXmlElement* pRootNode, int p_nId, int& p_nValue)
{
    for (TiXmlElement* item : itemsWithId(pRootNode, p_nId)) {
        const char* value = item->Attribute("value");
        if (value != nullptr) p_nValue = std::atoi(value);
    }
    return 0;
}

int getNodebyCmdId(TiXmlElement* pRootNode, int p_nId, TiXmlElement*& p_pNode)
{
    for (TiXmlElement* item : itemsWithId(pRootNode, p_nId)) p_pNode = item;
    return 0;
}

int DeleteNode(TiXmlElement* pRootNode, TiXmlElement* pNode)
{
    if (pRootNode == nullptr || pNode == nullptr) return -1;
    TiXmlNode* parent = pNode->Parent();
    // The document's own root element stays.
    if (parent != nullptr && parent->ToElement() != nullptr) parent->RemoveChild(pNode);
    return 0;
}

int ModifyNodebyCmdId(TiXmlElement* pRootNode, int p_nId)
{
    // High-light and back-light compensation exclude each other.
    for (TiXmlElement* item : itemsWithId(pRootNode, p_nId)) {
        if (p_nId == KEY_HLC_SWITCH) item->SetAttribute("enable_list", static_cast<int>(KEY_BLC_SWITCH));
        if (p_nId == KEY_BLC_SWITCH) item->SetAttribute("enable_list", static_cast<int>(KEY_HLC_SWITCH));
    }
    return 0;
}
