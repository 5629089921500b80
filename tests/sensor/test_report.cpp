// Reporting: thresholds from the sign file, header format, the error log and
// the abort switch.
#include <gtest/gtest.h>

#include <string>

#include "SensorReport.h"
#include "TestHelpers.h"

static const char* const kReportModule = "SensorFile";

namespace {

const char* const kLog = "/mnt/mtd/log/SensorError.log";
const char* const kSign = "/tmp/Debug.sign";

std::string emitEveryKind()
{
    testing::internal::CaptureStdout();
    SNS_CHECK_TEXT(false, "a == b", "detail(%d)\n", 7);
    SNS_WARN("warned\n");
    SNS_ERR("erred\n");
    SNS_DBG("debugged\n");
    SNS_INFO("informed\n");
    sensor::debugPrint(sensor::kColourGreen, "printed\n");
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(Report, LevelsFromTheSignFileAndWhatReachesTheLog)
{
    TestRoot root;
    struct Case {
        const char* sign; // nullptr: no sign file
        bool warn, err, dbg, info, print, assert;
    };
    const Case cases[] = {
        {nullptr, false, false, false, false, false, true}, {"4\n0\n", true, false, false, false, false, true},
        {"6\n0\n", true, true, true, false, true, true},    {"7\n", true, true, true, true, true, true},
        {"-1\n0\n", false, false, false, false, false, false},
        {"abc\n", false, false, false, false, false, true}, // not a number: level 0
        {"\n0\n", false, false, false, false, false, true}, // empty line: level 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sign != nullptr ? c.sign : "no sign file");
        c.sign != nullptr ? root.writeFile(kSign, c.sign) : root.remove(kSign);
        root.remove(kLog);
        const std::string out = emitEveryKind();
        EXPECT_EQ(has(out, "[sensor warn] file:SensorFile"), c.warn);
        EXPECT_EQ(has(out, "[sensor err]"), c.err);
        EXPECT_EQ(has(out, "[sensor dbg]"), c.dbg);
        EXPECT_EQ(has(out, "\033[0m\033[35m[sensor info]"), c.info);
        EXPECT_EQ(has(out, "\033[0m\033[32mprinted\n\033[0m"), c.print);
        EXPECT_EQ(has(out, "[sensor assert]"), c.assert);
        // Only assertion and warning reports reach the log.
        const std::string log = root.readFile(kLog);
        for (const char* part : {"file:SensorFile fun:emitEveryKind line:", "a == b   ~~~Assertion failed.", "detail(7)"})
            EXPECT_EQ(has(log, part), c.assert) << part;
        EXPECT_EQ(has(log, "warned"), c.warn);
        for (const char* unlogged : {"erred", "debugged", "informed"}) EXPECT_FALSE(has(log, unlogged)) << unlogged;
        if (c.sign == nullptr) {
            EXPECT_TRUE(has(out, "\033[0m\033[31m[sensor assert] file:SensorFile fun:emitEveryKind line:"));
            EXPECT_TRUE(has(out, "a == b   ~~~Assertion failed.\n\033[0m\033[0m\033[31mdetail(7)\n\033[0m"));
            EXPECT_EQ(g_nDebugLevel.load(), 1);
            EXPECT_FALSE(g_bEnAssert.load());
        }
    }
}

TEST(Report, SignFileChangesTakeEffectAtOnceAndOnlyTheLogCutsLongMessages)
{
    TestRoot root;
    root.writeFile(kSign, "5\n");
    EXPECT_FALSE(sensor::levelAtLeast(6));
    root.writeFile(kSign, "6\n");
    EXPECT_TRUE(sensor::levelAtLeast(6));
    const std::string huge(5 * sensor::kReportBufferSize, 'x');
    root.remove(kLog);
    const std::string out = printedBy([&] { SNS_WARN("%s|", huge.c_str()); });
    EXPECT_TRUE(has(out, huge + "|"));
    const std::string log = root.readFile(kLog);
    EXPECT_TRUE(has(log, std::string(100, 'x')));
    EXPECT_LT(log.size(), static_cast<size_t>(sensor::kReportBufferSize + 200));
    root.remove(kSign);
    EXPECT_FALSE(sensor::levelAtLeast(2));
    EXPECT_TRUE(sensor::levelAtLeast(1));
}

TEST(ReportDeathTest, FailedAssertionAbortsWhenTheSignFileSaysSo)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TestRoot root;
    root.writeFile(kSign, "6\n1\n");
    EXPECT_DEATH(SNS_CHECK_TEXT(false, "x > 0", ""), "bRet");
    // A negative level hides the report but still aborts.
    root.writeFile(kSign, "-1\n1\n");
    EXPECT_DEATH(SNS_CHECK_TEXT(false, "x > 0", ""), "bRet");
    // One line only: aborting is off.
    root.writeFile(kSign, "6\n");
    EXPECT_TRUE(has(printedBy([] { SNS_CHECK_TEXT(false, "x > 0", ""); }), "x > 0   ~~~Assertion failed."));
}
