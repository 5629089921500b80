// sensorctl lint over broken copies of the sample style pair: each mistake,
// made once, is found once on its own line; the samples themselves are clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "LintCommand.h"
#include "TestRoot.h"

namespace {

const std::string kStyleDir = "/hd1/moduleConfig/sensorConfig/style/";
const std::string kDiversityDir = "/hd1/moduleConfig/sensorConfig/styleDiversity/";
const std::string kStyle = kStyleDir + "Style.xml";
const std::string kDiversity = kDiversityDir + "StyleDiversity.xml";

struct Mistake {
    const char* name;
    bool inDiversity;
    std::string from;
    std::string to;
    std::string message;
};

// Replaces the first occurrence; a sample that lost the text fails the case.
bool replaceFirst(std::string& text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    if (at == std::string::npos) return false;
    text.replace(at, from.size(), to);
    return true;
}

int lineOf(const std::string& text, const std::string& marker)
{
    const size_t at = text.find(marker);
    return at == std::string::npos ? -1 : 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
}

// runLint's printed lines and its exit status.
std::vector<std::string> lint(const std::vector<std::string>& args, int& status)
{
    std::FILE* out = std::tmpfile();
    status = runLint(args, out, stderr);
    std::rewind(out);
    std::vector<std::string> lines;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, out) != nullptr) lines.emplace_back(buffer);
    std::fclose(out);
    return lines;
}

const std::string kSchemeStartHour =
    "        <item id=\"8001\" name=\"Start Hour\" type=\"number\" value=\"0\" min=\"0\" max=\"23\"/>\n";

TEST(StyleLint, EachMistakeOfABrokenSampleIsFoundOnItsLine)
{
    const Mistake mistakes[] = {
        {"unknown id", false, "id=\"2353\"", "id=\"9999\"", "item id \"9999\" is no key of the table"},
        {"duplicate id", false, "id=\"2337\" name=\"Saturation\"", "id=\"34\" name=\"Saturation\"", "duplicate item id 34 (first on line 18)"},
        {"value outside min/max", false, "name=\"Brightness\" type=\"slider\" value=\"50\"",
         "name=\"Brightness\" type=\"slider\" value=\"150\"", "value 150 of item 34 is outside 0..100"},
        {"value not an option", false, "name=\"Mirror\" type=\"menu\" value=\"0\"",
         "name=\"Mirror\" type=\"menu\" value=\"7\"", "value 7 of item 2384 is not among its options"},
        {"option the ISP does not offer", false, "index=\"1\" text=\"1/3\"", "index=\"0\" text=\"1/3\"",
         "option 0 of item 49 is not offered by the ISP (1..100)"},
        {"ISP default outside min/max", false, "name=\"Iris Position\" type=\"slider\" value=\"50\" min=\"0\"",
         "name=\"Iris Position\" type=\"slider\" value=\"70\" min=\"60\"",
         "factory default 50 of item 82 (the ISP's) is outside 60..100"},
        {"scheme item not first", false, kSchemeStartHour + "", "", "scheme item 8001 is not among the first five items"},
        {"tab_key of no tab", true, "<Delete tab_key=\"lens\"/>", "<Delete tab_key=\"lenses\"/>",
         "Delete: tab_key \"lenses\" matches no tab"},
        {"condition on no detail field", true, "<condition lensId=\"0\">", "<condition lensID=\"0\">",
         "condition tests \"lensID\", which is no detail field name"},
        {"Modify without a tab", true, "<Delete tab_key=\"light\"/>", "<Modify tab_key=\"light\"/>",
         "Modify without a tab child"},
    };
    for (const Mistake& mistake : mistakes) {
        SCOPED_TRACE(mistake.name);
        TestRoot root(true);
        const std::string path = mistake.inDiversity ? kDiversity : kStyle;
        std::string text = root.readFile(path);
        ASSERT_TRUE(replaceFirst(text, mistake.from, mistake.to));
        std::string marker = mistake.to;
        if (mistake.to.empty()) {
            // Moved, not changed: the scheme item goes after Brightness.
            const std::string brightness = "name=\"Brightness\" type=\"slider\" value=\"50\" min=\"0\" max=\"100\"/>\n";
            ASSERT_TRUE(replaceFirst(text, brightness, brightness + kSchemeStartHour));
            marker = "id=\"8001\"";
        }
        root.writeFile(path, text);

        int status = 0;
        const std::vector<std::string> lines = lint({root.host(kStyle), root.host(kDiversity)}, status);
        EXPECT_EQ(1, status);
        ASSERT_EQ(1u, lines.size());
        const std::string where = root.host(path) + ":" + std::to_string(lineOf(text, marker)) + ":";
        EXPECT_EQ(0u, lines[0].find(where)) << lines[0];
        EXPECT_NE(std::string::npos, lines[0].find(": " + mistake.message + "\n")) << lines[0];
    }
}

TEST(StyleLint, TheSamplePairsAndTheTreeDefaultAreClean)
{
    TestRoot root(true);
    int status = -1;
    for (const char* variant : {"", "_dome", "_Thermal"}) {
        SCOPED_TRACE(variant);
        const std::string style = root.host(kStyleDir + "Style" + variant + ".xml");
        const std::string diversity = root.host(kDiversityDir + "StyleDiversity" + variant + ".xml");
        EXPECT_EQ(std::vector<std::string>{}, lint({style, diversity}, status));
        EXPECT_EQ(0, status);
    }
    EXPECT_EQ(std::vector<std::string>{}, lint({}, status));
    EXPECT_EQ(0, status);

    const std::vector<std::string> unreadable = lint({root.host("/no/such.xml")}, status);
    EXPECT_EQ(1, status);
    ASSERT_EQ(1u, unreadable.size());
    EXPECT_EQ(root.host("/no/such.xml") + ":1:1: cannot read the file\n", unreadable[0]);
}

} // namespace
