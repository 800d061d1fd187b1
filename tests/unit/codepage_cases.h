// Conversions that the program's own tables (host build) and the system's (Windows build) must
// agree on; both test programs run them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/codepage.h"
#include "core/string.h"

inline String Bytes(const std::string &s) { return String(s.data(), static_cast<int32_t>(s.size())); }
inline String Wide(const std::u16string &s) { return String(s.data(), static_cast<int32_t>(s.size())); }

// 8-bit bytes in a code page and the wide text they stand for, in both directions.
struct CodePageRoundTrip {
    int codePage;
    std::string bytes;
    std::u16string wide;
};

inline const CodePageRoundTrip kCodePageRoundTrips[] = {
    {1252, "plain", u"plain"},
    {1252, "caf\xE9", u"caf\u00E9"},
    {1252, "\x80 \x8A \x9F \xFF", u"\u20AC \u0160 \u0178 \u00FF"},
    {1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},   // undefined bytes: C1 controls
    {65001, "h\xC3\xA9", u"h\u00E9"},
    {65001, "\xE2\x82\xAC", u"\u20AC"},
    {65001, "\xF0\x9F\x98\x80", u"\U0001F600"},
    {65001, "\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
    {1200, std::string("a\0\xAC\x20", 4), u"a\u20AC"},
    {1201, std::string("\0a\x20\xAC", 4), u"a\u20AC"},
};

// One-way conversions of 8-bit bytes to wide text.
struct CodePageToWideCase {
    int codePage;
    std::string bytes;
    std::u16string wide;
};

inline const CodePageToWideCase kCodePageToWideCases[] = {
    {20127, "caf\xE9 \x80", u"caf\u00E9 \u20AC"},   // US-ASCII is read as 1252
    {65001, "\xFF", u"\uFFFD"},
    {65001, "a\xE2\x82" "b", u"a\uFFFD" "b"},     // a cut sequence is one replacement
    {1201, std::string("\0a\0", 3), u"a"},        // an odd last byte is no unit
};

// One-way conversions of wide text to 8-bit bytes with the replacement "?".
struct CodePageFromWideCase {
    int codePage;
    std::u16string wide;
    std::string bytes;
};

inline const CodePageFromWideCase kCodePageFromWideCases[] = {
    {1252, u"\u65E5 x", "? x"},
    {1252, u"\u20AC\u65E5", "\x80?"},
    {65001, u"a\xD800" "b", "a\xEF\xBF\xBD" "b"},   // an unpaired surrogate becomes U+FFFD
};

// Wide text, the code page the writer tries, and the 8-bit path text it becomes.
struct PathTextCase {
    std::u16string wide;
    int codePage;
    std::string pathText;
};

inline const PathTextCase kPathTextCases[] = {
    {u"C:\\Program Files\\App", -1, "C:\\Program Files\\App"},
    {u"C:\\Program Files\\App", 1252, "C:\\Program Files\\App"},
    {u"C:\\Caf\u00E9\\R\u00E9sum\u00E9.txt", -1, "|C:\\Caf\xC3\xA9\\R\xC3\xA9sum\xC3\xA9.txt"},
    {u"C:\\Caf\u00E9", 1252, "C:\\Caf\xE9"},
    {u"C:\\\u65E5\u672C", 1252, "|C:\\\xE6\x97\xA5\xE6\x9C\xAC"},    // does not convert to 1252
    {u"\u0100", 1252, "|\xC4\x80"},                                  // a look-alike is no round trip
    {u"|x", -1, "||x"},                                              // never taken for the marker
    {u"", 1252, ""},
};

// Runs every conversion case of this file through CodePageToWide and CodePageFromWide (whichever
// implementation the test program is built with). Outputs start stale so a call that leaves them
// alone is caught.
inline void ExpectCodePageCases()
{
    for (const auto &c : kCodePageRoundTrips) {
        String wide("stale"), bytes("stale");
        EXPECT_TRUE(CodePageToWide(Bytes(c.bytes), c.codePage, wide)) << c.codePage;
        EXPECT_EQ(wide, Wide(c.wide)) << c.codePage;
        EXPECT_TRUE(CodePageFromWide(Wide(c.wide), c.codePage, "?", bytes)) << c.codePage;
        EXPECT_EQ(bytes, Bytes(c.bytes)) << c.codePage;
    }
    for (const auto &c : kCodePageToWideCases) {
        String wide("stale");
        EXPECT_TRUE(CodePageToWide(Bytes(c.bytes), c.codePage, wide)) << c.codePage;
        EXPECT_EQ(wide, Wide(c.wide)) << c.codePage;
    }
    for (const auto &c : kCodePageFromWideCases) {
        String bytes("stale");
        EXPECT_TRUE(CodePageFromWide(Wide(c.wide), c.codePage, "?", bytes)) << c.codePage;
        EXPECT_EQ(bytes, Bytes(c.bytes)) << c.codePage;
    }
}
