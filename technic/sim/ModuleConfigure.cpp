// Reader of the module configuration document:
// <moduleConfig><hardware model=".." code=".."><module type="sensor" .../></hardware></moduleConfig>
#include "ModuleConfigure.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "DevicePath.h"

namespace {

const char* attributeText(const TiXmlElement& element, const char* name)
{
    const char* value = element.Attribute(name);
    return value != nullptr ? value : "";
}

// An empty or missing code attribute serves every code of the model.
bool hardwareMatches(const TiXmlElement& hardware, const std::string& model, const std::string& code)
{
    const std::string wantedCode = attributeText(hardware, "code");
    return model == attributeText(hardware, "model") && (wantedCode.empty() || wantedCode == code);
}

const TiXmlElement* findHardware(const TiXmlElement& root, const std::string& model, const std::string& code)
{
    for (const TiXmlElement* hardware = root.FirstChildElement("hardware"); hardware != nullptr;
         hardware = hardware->NextSiblingElement("hardware")) {
        if (hardwareMatches(*hardware, model, code)) return hardware;
    }
    return nullptr;
}

using ChannelModule = std::pair<int, ModuleConfigure>;

void collectSensors(const std::string& path, const TiXmlElement& hardware, std::vector<ChannelModule>& sensors)
{
    for (const TiXmlElement* module = hardware.FirstChildElement("module"); module != nullptr;
         module = module->NextSiblingElement("module")) {
        if (std::string(attributeText(*module, "type")) != "sensor") continue;
        int channel = 0;
        int id = 0;
        if (module->QueryIntAttribute("channel", &channel) != TIXML_SUCCESS ||
            module->QueryIntAttribute("id", &id) != TIXML_SUCCESS) {
            std::fprintf(stderr, "%s:%d: sensor module without a numeric channel and id, skipped\n", path.c_str(),
                         module->Row());
            continue;
        }
        const bool taken = std::any_of(sensors.begin(), sensors.end(),
                                       [channel](const ChannelModule& entry) { return entry.first == channel; });
        if (taken) {
            std::fprintf(stderr, "%s:%d: second sensor module for channel %d, skipped\n", path.c_str(), module->Row(),
                         channel);
            continue;
        }
        ModuleConfigure configure;
        configure.setModuleId(id);
        configure.setParameters(attributeText(*module, "parameters"));
        configure.setDetail(attributeText(*module, "detail"));
        sensors.emplace_back(channel, configure);
    }
}

} // namespace

bool ModuleConfigureParser::parse(const std::string& fileName, const std::string& hardwareModel,
                                  const std::string& hardwareCode, std::vector<ModuleConfigure>& out)
{
    out.clear();
    const std::string path = technic::devicePath(fileName);
    TiXmlDocument document;
    if (!document.LoadFile(path.c_str(), TIXML_ENCODING_UTF8)) {
        std::fprintf(stderr, "ModuleConfigureParser: cannot read %s: %s (line %d)\n", path.c_str(),
                     document.ErrorDesc(), document.ErrorRow());
        return false;
    }
    const TiXmlElement* root = document.RootElement();
    if (root == nullptr || std::string(root->Value()) != "moduleConfig") {
        std::fprintf(stderr, "ModuleConfigureParser: %s is not a <moduleConfig> document\n", path.c_str());
        return false;
    }
    const TiXmlElement* hardware = findHardware(*root, hardwareModel, hardwareCode);
    if (hardware == nullptr) {
        std::fprintf(stderr, "ModuleConfigureParser: %s has no <hardware> for model \"%s\" code \"%s\"\n",
                     path.c_str(), hardwareModel.c_str(), hardwareCode.c_str());
        return false;
    }
    std::vector<ChannelModule> sensors;
    collectSensors(path, *hardware, sensors);
    std::stable_sort(sensors.begin(), sensors.end(),
                     [](const ChannelModule& a, const ChannelModule& b) { return a.first < b.first; });
    for (const ChannelModule& entry : sensors) out.push_back(entry.second);
    if (out.empty()) {
        std::fprintf(stderr, "ModuleConfigureParser: %s lists no sensor module for model \"%s\"\n", path.c_str(),
                     hardwareModel.c_str());
    }
    return !out.empty();
}
