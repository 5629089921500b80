// Parameter files, the version stamp and detail-field look-ups.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "TestHelpers.h"

namespace {

std::string bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

// What reading `name` into `records` printed.
std::string readInto(char* name, KeyVal* records, u32 count)
{
    return printedBy([&] { EXPECT_EQ(SNS_SUCCESS, keyValFromFile(name, records, count)); });
}

} // namespace

TEST(ParameterFiles, LittleEndianRecordsAndShortLongOrMissingFiles)
{
    TestRoot root;
    std::filesystem::create_directories(root.host("/mnt/mtd/code/config_file"));
    char name[] = "/mnt/mtd/code/config_file/sensor1_0.cfg";
    KeyVal written[3] = {{1, 2}, {3, static_cast<u32>(-4)}, {0x01020304u, 5}};
    EXPECT_EQ(SNS_SUCCESS, keyValToFile(name, written, 3));
    const std::string file = root.readFile(name);
    ASSERT_EQ(24u, file.size());
    EXPECT_EQ(bytes({1, 0, 0, 0, 2, 0, 0, 0}), file.substr(0, 8));
    EXPECT_EQ(bytes({0xfc, 0xff, 0xff, 0xff, 4, 3, 2, 1}), file.substr(12, 8));

    // A short file fills what it has and leaves the rest; a longer one is fine.
    KeyVal read[4] = {{9, 9}, {9, 9}, {9, 9}, {77, 88}};
    const std::string out = readInto(name, read, 4);
    EXPECT_TRUE(has(out, "nSize == sizeof(KeyVal)*p_nKeyValNum   ~~~Assertion failed.\n")) << out;
    EXPECT_TRUE(has(out, "file_name(/mnt/mtd/code/config_file/sensor1_0.cfg) nSize(24) sizeof(KeyVal) = 8, "
                         "p_nKeyValNum(4)\n")) << out;
    EXPECT_EQ(0, std::memcmp(written, read, sizeof written));
    EXPECT_EQ(std::make_pair(77u, 88u), std::make_pair(read[3].key, read[3].value));
    EXPECT_EQ("", readInto(name, read, 2));
    EXPECT_EQ(SNS_SUCCESS, keyValToFile(name, read, 2));
    EXPECT_EQ(16u, root.readFile(name).size());

    char missing[] = "/mnt/mtd/code/config_file/absent.cfg";
    const std::string absent = readInto(missing, read + 3, 1);
    EXPECT_TRUE(has(absent, "file.open(file_name)   ~~~Assertion failed.\n")) << absent;
    EXPECT_TRUE(has(absent, "nSize(0) sizeof(KeyVal) = 8, p_nKeyValNum(1)\n")) << absent;
    EXPECT_EQ(77u, read[3].key);

    root.writeFile("/tmp/empty.txt", "");
    EXPECT_EQ(0, loadFromFile("/tmp/empty.txt", name, 0));
    EXPECT_EQ(-1, loadFromFile("/tmp/empty.txt", name, -1));
}

TEST(VersionStamp, NeedsFourBytesAndIsStoredLittleEndian)
{
    TestRoot root;
    u32 version = 1234;
    EXPECT_EQ(-1, getVersion(&version));
    EXPECT_EQ(1234u, version);
    for (size_t length = 0; length < 4; ++length) {
        root.writeFile(kStampFile, std::string(length, '\x01'));
        EXPECT_EQ(-1, getVersion(&version)) << length << " bytes";
    }
    root.writeFile(kStampFile, bytes({8, 1, 0, 0, 0xee, 0xee}));
    EXPECT_EQ(0, getVersion(&version));
    EXPECT_EQ(0x108u, version);
    EXPECT_EQ(0, setVersion(7));
    EXPECT_EQ(bytes({7, 0, 0, 0}), root.readFile(kStampFile));
}

TEST(DetailFields, LookUpByNameWithBoundedValues)
{
    const struct {
        const char* detail;
        const char* name;
        int result;
        u32 value;
    } cases[] = {{"(max_scheme=6)(x=1)", "max_scheme", 0, 6},
                 {"(x= -12)", "x", 0, static_cast<u32>(-12)},
                 {"(max_scheme=)", "max_scheme", 0, 0},
                 {"(old_max_scheme=3)(max_scheme=6)", "max_scheme", 0, 3}, // plain substring match
                 {"(serial=1234567890123)", "serial", 0, 123456789},       // cut to nine characters
                 {"(x=1)", "max_scheme", -1, 42},  {"", "max_scheme", -1, 42},
                 {"(max_scheme", "max_scheme", -1, 42}, {"(max_scheme=5", "max_scheme", -1, 42},
                 {"(max_scheme 5)", "max_scheme", -1, 42}};
    for (const auto& c : cases) {
        u32 value = 42;
        EXPECT_EQ(c.result, getDetailFieldTou32(c.detail, c.name, &value)) << c.detail;
        EXPECT_EQ(c.value, value) << c.detail;
    }
    char text[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'Z', 'Z'};
    EXPECT_EQ(-1, getDetailFieldToStr("(isInfrared=1", "isInfrared", text));
    EXPECT_EQ('\0', text[0]);
    EXPECT_EQ(0, getDetailFieldToStr("(serial=1234567890123)", "serial", text));
    EXPECT_STREQ("123456789", text);
    EXPECT_EQ('Z', text[10]);
}
