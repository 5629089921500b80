// Inputs that made a fuzz target fail (tests/data/fuzz/<target>/), replayed through the same calls.
// Each text ends right before an unreadable page: a byte read past it stops the test at once,
// even inside a library built without sanitizers (TinyXML).
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "SensorXml.h"
#include "TestHelpers.h"

namespace {

// A NUL-terminated copy of a text whose terminator is the last readable byte.
class GuardedText {
public:
    explicit GuardedText(const std::string& text)
    {
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        const size_t readable = (text.size() + 1 + page - 1) / page * page;
        m_nLength = readable + page;
        void* base = mmap(nullptr, m_nLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) throw std::runtime_error("mmap failed");
        m_pBase = static_cast<char*>(base);
        if (mprotect(m_pBase + readable, page, PROT_NONE) != 0) throw std::runtime_error("mprotect failed");
        m_pText = m_pBase + readable - (text.size() + 1);
        std::memcpy(m_pText, text.c_str(), text.size() + 1);
    }
    ~GuardedText() { munmap(m_pBase, m_nLength); }
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;

    char* text() { return m_pText; }

private:
    char* m_pBase = nullptr;
    char* m_pText = nullptr;
    size_t m_nLength = 0;
};

// The kept inputs of a fuzz target by name, each cut at its first NULs as the target cuts it.
std::map<std::string, std::vector<std::string>> keptInputs(const std::string& target, size_t parts)
{
    std::map<std::string, std::vector<std::string>> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(SENSOR_TEST_DATA) + "/fuzz/" + target)) {
        std::vector<std::string>& input = inputs[entry.path().filename().string()];
        input.resize(parts);
        std::ifstream file(entry.path(), std::ios::binary);
        size_t part = 0;
        for (char c : std::string(std::istreambuf_iterator<char>(file), {})) {
            if (c == '\0' && part + 1 < parts) ++part;
            else input[part] += c;
        }
    }
    return inputs;
}

} // namespace

// TinyXML steps over a whole UTF-8 sequence as announced by its lead byte,
// past the end of a text that stops inside one.
TEST(FuzzRegressions, StyleTextsCutInsideAUtf8SequenceAreNotReadPast)
{
    TestRoot root(true);
    const auto inputs = keptInputs("merge_style", 3);
    ASSERT_GE(inputs.size(), 4u);
    for (const auto& [name, parts] : inputs) {
        SCOPED_TRACE(name);
        GuardedText style(parts[0]);
        GuardedText diversity(parts[1]);

        TiXmlDocument document;
        EXPECT_FALSE(LoadMem(document, style.text(), TIXML_ENCODING_UTF8)) << "an unfinished document";
        std::string dynamic;
        EXPECT_EQ(SNS_SUCCESS, getDnaStyle(1, style.text(), dynamic, true, true));
        EXPECT_EQ("", dynamic) << "nothing of a broken style is passed on";

        const std::string merged = mergedStyle(1, parts[2], parts[0], diversity.text());
        EXPECT_EQ(root.readFile("/tmp/merge_style_ch1.xml"), merged);
    }

    // A text that ends right after a whole sequence still parses in full.
    GuardedText whole("<a b=\"\xC3\xA9\">\xE2\x82\xAC</a>");
    TiXmlDocument document;
    ASSERT_TRUE(LoadMem(document, whole.text(), TIXML_ENCODING_UTF8));
    EXPECT_STREQ("\xC3\xA9", document.RootElement()->Attribute("b"));
    EXPECT_STREQ("\xE2\x82\xAC", document.RootElement()->GetText());
}
