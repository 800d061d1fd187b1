// The dump's two forms: JSON that any parser reads whatever bytes a text holds, and the people form
// with each value on its own line beside its project key.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "pack/dump_tree.h"

namespace {

std::string Written(const DumpNode &node, bool json)
{
    std::FILE *out = std::tmpfile();
    if (json)
        node.WriteJson(out);
    else
        node.WriteText(out);
    std::rewind(out);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        text.append(buffer, n);
    std::fclose(out);
    return text;
}

} // namespace

TEST(DumpJson, TextsAreEscapedAndBytesThatAreNotUtf8Replaced)
{
    const struct {
        std::string text, json;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a \"quoted\" \\ path", "\"a \\\"quoted\\\" \\\\ path\""},
        {"line\r\nnext\ttab", "\"line\\r\\nnext\\ttab\""},
        {std::string("nul\0one\x01", 8), "\"nul\\u0000one\\u0001\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"lone \xE9 byte", "\"lone \\ufffd byte\""},
        {"cut \xE2\x82", "\"cut \\ufffd\\ufffd\""},
        {"overlong \xC0\xAF", "\"overlong \\ufffd\\ufffd\""},
        {"surrogate \xED\xA0\x80", "\"surrogate \\ufffd\\ufffd\\ufffd\""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST(DumpJson, KeyedMembersCarryTheirKeyAndSectionsDoNot)
{
    DumpNode top = DumpNode::Object();
    DumpNode &settings = top.Add("settings", DumpNode::Object(), "ignored");
    settings.Add("TitleColor", DumpNode::Word("#ffeecc"), "window.title_color");
    settings.Add("TitleSize", DumpNode::Real(1.5), "window.title_size");
    DumpNode &texts = settings.Add("EndTexts", DumpNode::List(), "advanced.end_texts");
    texts.Push(DumpNode::Text("one"));
    texts.Push(DumpNode::Text("two"));
    settings.Add("Empty", DumpNode::List());
    EXPECT_EQ(Written(top, true),
              "{\n"
              "  \"settings\": {\n"
              "    \"TitleColor\": {\"key\": \"window.title_color\", \"value\": \"#ffeecc\"},\n"
              "    \"TitleSize\": {\"key\": \"window.title_size\", \"value\": 1.5},\n"
              "    \"EndTexts\": {\"key\": \"advanced.end_texts\", \"value\": [\n"
              "      \"one\",\n"
              "      \"two\"\n"
              "    ]},\n"
              "    \"Empty\": []\n"
              "  }\n"
              "}\n");
    const std::string text = Written(top, false);
    EXPECT_NE(text.find("[settings]    ignored\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  TitleColor"), std::string::npos) << text;
    EXPECT_NE(text.find("window.title_color  #ffeecc\n"), std::string::npos) << text;
    EXPECT_NE(text.find("advanced.end_texts\n    1 "), std::string::npos) << text;
    EXPECT_NE(text.find("\"two\"\n"), std::string::npos) << text;
}
