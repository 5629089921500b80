#include "SchemeLayout.h"

#include <unordered_map>
#include <unordered_set>

#include "DeviceFiles.h"
#include "SensorFile.h"
#include "VXFile.h"
#include "XmlFiles.h"
#include "sensor.h"

std::vector<KeyVal> sensor::fileRecords(const std::string& devicePath)
{
    VXFile file;
    if (!file.open(devicePath.c_str(), VXFile::modeRead)) return {};
    const int64_t length = file.getLength();
    if (length <= 0 || length > UINT32_MAX) return {};
    std::vector<KeyVal> records(static_cast<size_t>(length) / sizeof(KeyVal));
    const unsigned int bytes = static_cast<unsigned int>(records.size() * sizeof(KeyVal));
    if (file.read(reinterpret_cast<char*>(records.data()), bytes) != bytes) return {};
    return records;
}

bool sensor::hasLayout(const std::vector<KeyVal>& records, const KeyVal* layout, u32 count)
{
    if (records.size() != count) return false;
    for (u32 i = 0; i < count; ++i) {
        if (records[i].key != layout[i].key) return false;
    }
    return true;
}

void sensor::loadByKey(const std::vector<KeyVal>& records, const KeyVal* layout, KeyVal* set, u32 count)
{
    std::unordered_map<u32, u32> saved;
    for (const KeyVal& record : records) saved.emplace(record.key, record.value);
    for (u32 i = 0; i < count; ++i) {
        const auto found = saved.find(layout[i].key);
        set[i] = KeyVal{layout[i].key, found != saved.end() ? found->second : layout[i].value};
    }
}

bool sensor::holdsEveryKey(const std::vector<KeyVal>& records, const KeyVal* layout, u32 count)
{
    std::unordered_set<u32> keys;
    for (const KeyVal& record : records) {
        if (record.key == 0) return false;
        keys.insert(record.key);
    }
    for (u32 i = 0; i < count; ++i) {
        if (keys.count(layout[i].key) == 0) return false;
    }
    return true;
}

std::vector<KeyVal> sensor::withOtherKeys(const KeyVal* set, u32 count, const std::vector<KeyVal>& records)
{
    std::vector<KeyVal> out(set, set + count);
    std::unordered_set<u32> keys;
    for (const KeyVal& record : out) keys.insert(record.key);
    for (const KeyVal& record : records) {
        if (record.key != 0 && keys.insert(record.key).second) out.push_back(record);
    }
    return out;
}

std::vector<KeyVal> sensor::readScheme(const std::string& devicePath, const KeyVal* layout, KeyVal* set, u32 count)
{
    std::string name = devicePath;
    keyValFromFile(&name[0], set, count);
    std::vector<KeyVal> records = fileRecords(devicePath);
    if (!hasLayout(records, layout, count)) loadByKey(records, layout, set, count);
    return records;
}

bool sensor::styleDocumentsParse(int p_nChannelID, int p_nDeviceType)
{
    std::string style, diversity;
    getStyleDocuments(p_nChannelID, p_nDeviceType, style, diversity);
    // A device without a diversity document uses the style as it is; one
    // that is there but does not parse means the device's edits are missing.
    TiXmlDocument document;
    return loadXmlFile(document, style.c_str(), TIXML_ENCODING_UTF8) &&
           (!deviceFileExists(diversity) || loadXmlFile(document, diversity.c_str(), TIXML_ENCODING_UTF8));
}
