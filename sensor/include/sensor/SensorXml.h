// Two document operations over TinyXML's public interface.
#ifndef SENSOR_SENSOR_XML_H
#define SENSOR_SENSOR_XML_H

#include <string>

#include <tinyxml.h>

#include "SensorApi.h"

// Parses a NUL-terminated XML text held in memory into doc; true on success.
SENSOR_API bool LoadMem(TiXmlDocument& doc, const char* text, TiXmlEncoding encoding);
// The document's XML text as SaveFile would write it.
SENSOR_API void getXmlString(const TiXmlDocument& doc, std::string& out);

#endif
