// Loading an XML document from a device file.
#ifndef SENSOR_SRC_XML_FILES_H
#define SENSOR_SRC_XML_FILES_H

#include <tinyxml.h>

namespace sensor {

// Reads the whole file through the framework's file class and parses it with
// LoadMem, which guards TinyXML against a text cut inside a character; false
// when the file cannot be read or does not parse.
bool loadXmlFile(TiXmlDocument& doc, const char* devicePath, TiXmlEncoding encoding);

} // namespace sensor

#endif
