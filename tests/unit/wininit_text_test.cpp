#include <gtest/gtest.h>

#include "core/wininit_text.h"

TEST(WininitText, AddsTheRenameLine)
{
    const struct {
        const char *before;
        const char *after;
    } cases[] = {
        {"", "[rename]\r\nC:\\DEST.DLL=C:\\TMP1.TMP"},
        {"[windows]\r\nx=1\r\n", "[windows]\r\nx=1\r\n[rename]\r\nC:\\DEST.DLL=C:\\TMP1.TMP"},
        {"[windows]\r\nx=1", "[windows]\r\nx=1\r\n[rename]\r\nC:\\DEST.DLL=C:\\TMP1.TMP"},
        // The new line goes directly under the header, whatever its letter case, before older lines.
        {"[Rename]\r\nNUL=C:\\OLD.TMP\r\n", "[Rename]\r\nC:\\DEST.DLL=C:\\TMP1.TMP\r\nNUL=C:\\OLD.TMP\r\n"},
        {"[a]\r\n[RENAME]", "[a]\r\n[RENAME]\r\nC:\\DEST.DLL=C:\\TMP1.TMP"},
        {"[a]\r\n[rename]\r\n[b]\r\n[rename]\r\n", "[a]\r\n[rename]\r\nC:\\DEST.DLL=C:\\TMP1.TMP\r\n[b]\r\n[rename]\r\n"},
    };
    for (const auto &c : cases) {
        String text(c.before);
        EXPECT_TRUE(AddWininitRename(text, "C:\\DEST.DLL", "C:\\TMP1.TMP"));
        EXPECT_STREQ(text.Bytes(), c.after) << c.before;
    }
}

TEST(WininitText, EmptyNameOrValueChangesNothing)
{
    String text("[rename]\r\n");
    EXPECT_FALSE(AddWininitRename(text, "", "C:\\A"));
    EXPECT_FALSE(AddWininitRename(text, "NUL", ""));
    EXPECT_STREQ(text.Bytes(), "[rename]\r\n");
}
