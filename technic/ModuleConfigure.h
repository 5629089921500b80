#ifndef TECHNIC_MODULE_CONFIGURE_H
#define TECHNIC_MODULE_CONFIGURE_H

#include <string>
#include <vector>

// The host's configuration of one module instance (here: one sensor channel).
class ModuleConfigure {
public:
    int getModuleId() const { return m_nModuleId; }
    const std::string& getParameters() const { return m_strParameters; }
    const std::string& getDetail() const { return m_strDetail; }
    void setModuleId(int id) { m_nModuleId = id; }
    void setParameters(const std::string& text) { m_strParameters = text; }
    void setDetail(const std::string& text) { m_strDetail = text; }

private:
    int m_nModuleId = 0;
    std::string m_strParameters;
    std::string m_strDetail;
};

// Reads the device's module configuration document (format in
// docs/device-files.md).
class ModuleConfigureParser {
public:
    // Fills out with the sensor modules configured for the given hardware, in
    // channel order. False (and out empty) when the file is missing or holds
    // no module for that hardware.
    static bool parse(const std::string& fileName, const std::string& hardwareModel,
                      const std::string& hardwareCode, std::vector<ModuleConfigure>& out);
};

#endif
