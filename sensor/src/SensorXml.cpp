// Document operations that TinyXML lacks: parsing from memory and
// serialising to a string.
#include "SensorXml.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "VXFile.h"
#include "XmlFiles.h"

namespace {

// TinyXML steps over a whole UTF-8 sequence as its lead byte announces it,
// even when the text ends inside the sequence, and so reads past the
// terminator. Parsing a copy that ends in that many terminators keeps every
// such step on one.
constexpr size_t kLongestUtf8Sequence = 4;

} // namespace

bool LoadMem(TiXmlDocument& doc, const char* text, TiXmlEncoding encoding)
{
    doc.Clear();
    doc.ClearError();
    if (text == nullptr) return false;
    std::string padded(text);
    padded.append(kLongestUtf8Sequence, '\0');
    doc.Parse(padded.c_str(), nullptr, encoding);
    return !doc.Error();
}

void getXmlString(const TiXmlDocument& doc, std::string& out)
{
    out.clear();
    // Printing through SaveFile(FILE*) into a memory stream gives exactly the
    // bytes that SaveFile(name) writes, declaration and indentation included.
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (stream == nullptr) return;
    doc.SaveFile(stream);
    if (std::fclose(stream) == 0 && buffer != nullptr) out.assign(buffer, size);
    std::free(buffer);
}

bool sensor::loadXmlFile(TiXmlDocument& doc, const char* devicePath, TiXmlEncoding encoding)
{
    doc.Clear();
    VXFile file;
    if (!file.open(devicePath, VXFile::modeRead)) return false;
    const int64_t length = file.getLength();
    if (length <= 0 || length > UINT32_MAX) return false;
    std::string text(static_cast<size_t>(length), '\0');
    if (file.read(&text[0], static_cast<unsigned int>(length)) != static_cast<unsigned int>(length)) return false;
    if (LoadMem(doc, text.c_str(), encoding)) return true;
    // A failed parse leaves what was read so far; callers go on with nothing.
    doc.Clear();
    return false;
}
