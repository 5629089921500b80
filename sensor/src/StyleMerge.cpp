// Style merge: applies the device-specific edits of the style-diversity
// document to the base UI style and keeps the result in "/tmp".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DevicePath.h"
#include "SensorFile.h"
#include "SensorReport.h"
#include "SensorXml.h"
#include "StringHandler.h"

static const char* const kReportModule = "SensorFile";

namespace {

// Only the first characters of a detail value take part in a comparison.
const size_t kCompareLength = 5;

bool sameStart(const char* left, const char* right)
{
    return std::strncmp(left, right, kCompareLength) == 0;
}

// A condition attribute names a detail field and lists accepted values
// separated by ","; it selects when the field's value is one of them.
bool attributeSelects(const TiXmlAttribute& attribute, const char* p_szDetail, char* nVal)
{
    if (getDetailFieldToStr(p_szDetail, attribute.Name(), nVal) != 0) return false;
    std::vector<std::string> accepted;
    StringHandler::split(attribute.Value(), accepted, ",");
    for (const std::string& piece : accepted) {
        if (sameStart(piece.c_str(), nVal)) return true;
    }
    return sameStart(attribute.Value(), nVal);
}

} // namespace

int mergeStyle(int p_nChannelID, ModuleConfig* moduleConfig, char** ui_style, char* ui_styleDiversity)
{
    TiXmlDocument doc_style;
    SNS_CHECK_TEXT(LoadMem(doc_style, ui_style != nullptr ? *ui_style : nullptr, TIXML_ENCODING_UTF8),
                   "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)", "");
    TiXmlDocument doc_style_div;
    SNS_CHECK_TEXT(LoadMem(doc_style_div, ui_styleDiversity, TIXML_ENCODING_UTF8),
                   "doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)", "");

    // Conditions in document order; the attributes of one condition are
    // alternatives, and the first that selects applies its operations.
    const char* p_szDetail = moduleConfig != nullptr ? moduleConfig->szDetail : nullptr;
    const TiXmlElement* node_first = doc_style_div.RootElement();
    SNS_CHECK_TEXT(node_first != nullptr, "NULL != (node_first = doc_style_div.RootElement())", "");
    for (; node_first != nullptr; node_first = node_first->NextSiblingElement()) {
        for (const TiXmlAttribute* modi_attr = node_first->FirstAttribute(); modi_attr != nullptr;
             modi_attr = modi_attr->Next()) {
            SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
            char nVal[kDetailValueMax + 1] = {0};
            if (!attributeSelects(*modi_attr, p_szDetail, nVal)) {
                SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s) nVal(%s)\n", modi_attr->Name(),
                        modi_attr->Value(), nVal);
                continue;
            }
            SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
            const TiXmlElement* node_second = node_first->FirstChildElement();
            SNS_CHECK_TEXT(node_second != nullptr, "NULL != (node_second = node_first->FirstChildElement())", "");
            for (; node_second != nullptr; node_second = node_second->NextSiblingElement()) {
                SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
                updateStyleTab(&doc_style, node_second->Value(), node_second->Attribute("tab_key"),
                               node_second->FirstChildElement());
                SNS_DBG("modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(), modi_attr->Value());
            }
            break;
        }
    }

    char filename[100] = {0};
    std::snprintf(filename, sizeof filename, "/tmp/merge_style_ch%d.xml", p_nChannelID);
    doc_style.SaveFile(technic::devicePath(filename).c_str());
    std::string strStyle;
    getXmlString(doc_style, strStyle);
    SNS_INFO("%s\n", strStyle.c_str());

    // The caller gets exactly what later readers of the file see.
    if (ui_style != nullptr) {
        INT64 file_len = getFileLen(filename);
        if (file_len < 0) file_len = 0;
        delete[] *ui_style;
        *ui_style = new char[file_len + 1]();
        SNS_CHECK_TEXT(loadFromFile(filename, *ui_style, file_len) > 0,
                       "loadFromFile(filename, *ui_style, file_len) > 0", "");
    }
    return SNS_SUCCESS;
}

int updateStyleTab(TiXmlDocument* doc_style, const char* p_szOperation, const char* p_szTabKey,
                   const TiXmlElement* p_pNewTab)
{
    TiXmlElement* root = doc_style != nullptr ? doc_style->RootElement() : nullptr;
    TiXmlElement* tab_node = root != nullptr ? root->FirstChildElement() : nullptr;
    SNS_CHECK_TEXT(tab_node != nullptr, "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())", "");
    if (p_szTabKey == nullptr || p_szOperation == nullptr) return 0;

    for (; tab_node != nullptr; tab_node = tab_node->NextSiblingElement()) {
        const char* key = tab_node->Attribute("key");
        if (key != nullptr && std::strcmp(key, p_szTabKey) == 0) break;
    }
    if (tab_node == nullptr) return 0;

    const bool modify = std::strcmp(p_szOperation, "Modify") == 0;
    const bool addAfter = std::strcmp(p_szOperation, "AddAfter") == 0;
    if ((modify || addAfter) && p_pNewTab != nullptr) root->InsertAfterChild(tab_node, *p_pNewTab);
    if ((modify && p_pNewTab != nullptr) || std::strcmp(p_szOperation, "Delete") == 0) root->RemoveChild(tab_node);
    return 0;
}
