// Scheme files written for another set layout (another key count or other
// keys), and whether a start built its sets from a sound style.
#ifndef SENSOR_SRC_SCHEME_LAYOUT_H
#define SENSOR_SRC_SCHEME_LAYOUT_H

#include <string>
#include <vector>

#include "SensorTypes.h"

namespace sensor {

// Every whole record of a parameter file; empty when it cannot be read.
// Reports nothing: the positional read has reported already.
std::vector<KeyVal> fileRecords(const std::string& devicePath);

// True when the records are exactly `count` records with the keys of
// `layout`, in its order.
bool hasLayout(const std::vector<KeyVal>& records, const KeyVal* layout, u32 count);

// Gives `set` the keys of `layout` in its order, each with the value of the
// first record of that key in `records`, else the layout's own value.
void loadByKey(const std::vector<KeyVal>& records, const KeyVal* layout, KeyVal* set, u32 count);

// True when the records hold every key of `layout` and no record of key 0:
// saving the set then loses nothing the file holds.
bool holdsEveryKey(const std::vector<KeyVal>& records, const KeyVal* layout, u32 count);

// The set followed by the first record of each other key in `records`, so a
// save in the set's layout keeps what a start with a wider set will want.
std::vector<KeyVal> withOtherKeys(const KeyVal* set, u32 count, const std::vector<KeyVal>& records);

// The positional read of a scheme file into `set` (keyValFromFile, with its
// reports); when the file has another layout than `layout`, `set` then takes
// the layout's keys with the file's values by key. Returns the file's records.
std::vector<KeyVal> readScheme(const std::string& devicePath, const KeyVal* layout, KeyVal* set, u32 count);

// Whether the channel's style document parses, and its style-diversity
// document too where there is one: a set built from a broken one has
// another layout than the device's.
bool styleDocumentsParse(int p_nChannelID, int p_nDeviceType);

} // namespace sensor

#endif
