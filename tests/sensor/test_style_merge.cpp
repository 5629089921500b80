// Style merge: condition selection, operation order and malformed documents.
#include <gtest/gtest.h>

#include <string>

#include "SensorXml.h"
#include "TestHelpers.h"

namespace {

const char* const kStyle = "<style><tab key=\"a\" v=\"0\"/><tab key=\"b\" v=\"0\"/><tab key=\"b\" v=\"1\"/>"
                           "<tab key=\"c\" v=\"0\"/></style>";
const char* const kUnchanged = "a:0 b:0 b:1 c:0 ";
const char* const kWithoutA = "b:0 b:1 c:0 ";

class StyleMerge : public testing::Test {
protected:
    // The merged text; what the merge printed goes to m_strOutput.
    std::string merge(const std::string& detail, const std::string& style, std::string diversity, int channel = 1)
    {
        std::string merged;
        m_strOutput = printedBy([&] { merged = mergedStyle(channel, detail, style, &diversity[0]); });
        return merged;
    }
    // "key:v " of every tab of a merge with the given diversity, in order.
    std::string tabs(const std::string& detail, const std::string& diversity, const std::string& style = kStyle)
    {
        TiXmlDocument doc;
        if (!LoadMem(doc, merge(detail, style, diversity).c_str(), TIXML_ENCODING_UTF8) || !doc.RootElement())
            return "<unparsed>";
        const auto text = [](const char* value) { return std::string(value != nullptr ? value : "-"); };
        std::string list;
        for (const TiXmlElement* tab = doc.RootElement()->FirstChildElement(); tab; tab = tab->NextSiblingElement())
            list += text(tab->Attribute("key")) + ":" + text(tab->Attribute("v")) + " ";
        return list;
    }
    bool printed(const std::string& part) const { return has(m_strOutput, part); }

    TestRoot root;
    std::string m_strOutput;
};

std::string when(const std::string& attributes, const std::string& body = "<Delete tab_key=\"a\"/>")
{
    return "<when " + attributes + ">" + body + "</when>";
}

} // namespace

TEST_F(StyleMerge, ConditionAttributesSelectByListPrefixOrAlternative)
{
    EXPECT_EQ(kWithoutA, tabs("(isInfrared=17)", when("isInfrared=\"1,17\"")));
    EXPECT_EQ(kWithoutA, tabs("(x=2)(isInfrared=1)", when("isInfrared=\"1,17\"")));
    EXPECT_EQ(kUnchanged, tabs("(isInfrared=0)", when("isInfrared=\"1,17\"")));
    EXPECT_EQ(kWithoutA, tabs("(model=123457)", when("model=\"123456\""))); // five characters count
    EXPECT_EQ(kUnchanged, tabs("(model=123567)", when("model=\"123456\"")));
    EXPECT_EQ(kWithoutA, tabs("(hasLens=1)", when("absent=\"1\" hasLens=\"1\"")));
    EXPECT_EQ(kUnchanged, tabs("(hasLens=0)", when("absent=\"1\" hasLens=\"1\"")));

    root.writeFile("/tmp/Debug.sign", "6\n0\n");
    tabs("(isInfrared=0)", when("isInfrared=\"1,17\""));
    EXPECT_TRUE(printed("[sensor dbg] file:SensorFile fun:mergeStyle"));
    EXPECT_TRUE(printed("modi_attr->Name()(isInfrared), modi_attr->Value()(1,17) nVal(0)\n"));
}

TEST_F(StyleMerge, OperationsApplyInOrderToTheFirstMatchingTab)
{
    const std::string add = when("s=\"1\"", "<AddAfter tab_key=\"a\"><tab key=\"a\" v=\"new\"/></AddAfter>");
    EXPECT_EQ("a:new b:0 b:1 c:0 ", tabs("(s=1)", add + when("s=\"1\"")));
    EXPECT_EQ("a:0 b:m b:1 c:0 ",
              tabs("(s=1)", when("s=\"1\"", "<Modify tab_key=\"b\"><tab key=\"b\" v=\"m\"/></Modify>")));
    EXPECT_EQ("a:0 b:0 n:1 b:1 c:0 ",
              tabs("(s=1)", when("s=\"1\"", "<AddAfter tab_key=\"b\"><tab key=\"n\" v=\"1\"/></AddAfter>")));
    EXPECT_EQ("a:0 b:1 c:0 ", tabs("(s=1)", when("s=\"1\"", "<Delete tab_key=\"b\"/>")));
    for (const char* body : {"<Modify tab_key=\"b\"/>", "<Delete/>", "<Delete tab_key=\"zz\"/>",
                             "<Rename tab_key=\"a\"><tab key=\"r\"/></Rename>"}) {
        EXPECT_EQ(kUnchanged, tabs("(s=1)", when("s=\"1\"", body))) << body;
    }
    EXPECT_EQ("-:0 ", tabs("(s=1)", when("s=\"1\"", "<Delete tab_key=\"\"/>"), "<style><tab v=\"0\"/></style>"));
}

TEST_F(StyleMerge, EmptyOrMalformedDocumentsAreReportedNotFatal)
{
    // An empty diversity gives the style re-serialised, in the channel's file.
    const std::string style = "<?xml version=\"1.0\" ?>\n<style>\n  <tab key=\"a\"><item id=\"1\"/></tab></style>";
    const std::string merged = merge("", style, "", 1);
    EXPECT_TRUE(printed("doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)   ~~~Assertion failed."));
    EXPECT_TRUE(printed("NULL != (node_first = doc_style_div.RootElement())   ~~~Assertion failed."));
    TiXmlDocument expected;
    ASSERT_TRUE(LoadMem(expected, style.c_str(), TIXML_ENCODING_UTF8));
    std::string serialised;
    getXmlString(expected, serialised);
    EXPECT_NE(style, serialised);
    EXPECT_EQ(serialised, merged);
    EXPECT_EQ(serialised, root.readFile("/tmp/merge_style_ch1.xml"));

    EXPECT_EQ("", merge("(s=1)", "not xml", when("s=\"1\""), 3));
    EXPECT_TRUE(printed("doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)   ~~~Assertion failed."));
    EXPECT_TRUE(printed("NULL != (tab_node = doc_style->RootElement()->FirstChildElement())   ~~~Assertion failed."));
    EXPECT_TRUE(printed("loadFromFile(filename, *ui_style, file_len) > 0   ~~~Assertion failed."));
    EXPECT_TRUE(root.exists("/tmp/merge_style_ch3.xml"));
    EXPECT_EQ(kUnchanged, tabs("(s=1)", "<when s=\"1\"/>"));
    EXPECT_TRUE(printed("NULL != (node_second = node_first->FirstChildElement())   ~~~"));
}
