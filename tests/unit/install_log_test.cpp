// The log operations' encodings and the frame of "Install.log".
#include <gtest/gtest.h>

#include <string>

#include "core/date_format.h"
#include "install/install_log.h"
#include "install/install_log_format.h"
#include "text_support.h"

namespace {

std::string g_body;

void Capture(const char *bytes, int32_t length) { g_body.append(bytes, static_cast<size_t>(length)); }

class LogBody : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_body.clear();
        SetLogBodySink(Capture);
    }
    void TearDown() override { SetLogBodySink(nullptr); }
};

TEST_F(LogBody, EachOperationWritesItsEncoding)
{
    struct Case {
        const char *name;
        void (*write)();
        std::string expected;
    };
    const Case cases[] = {
        {"8-bit text is Windows-1252", [] { LogText("caf\xE9 \x80\r\n"); }, "caf\xC3\xA9 \xE2\x82\xAC\r\n"},
        {"wide text is UTF-8", [] { LogTextW(u"\u00E9\u4E2D"); }, "\xC3\xA9\xE4\xB8\xAD"},
        {"a lone surrogate becomes ?", [] { LogTextW(u"a\xD800z"); }, "a?z"},
        {"printf", [] { LogPrintf("%s=%d\r\n", "n", 42); }, "n=42\r\n"},
        {"wide printf", [] { LogPrintfW(u"%ls:%u", u"\u00FC", 7u); }, "\xC3\xBC:7"},
        {"concat up to the null", [] { LogConcat("\r\nRunning ", "Pre-Installation Batch", "...\r\n", nullptr); },
         "\r\nRunning Pre-Installation Batch...\r\n"},
        {"wide concat", [] { LogConcatW(u"a", u"\u00E9", nullptr); }, "a\xC3\xA9"},
        {"String as 8-bit", [] { LogString(String("\xFC")); }, "\xC3\xBC"},
        {"raw bytes unchanged", [] { LogRaw(String("\xFC\x81\x00z", 4)); }, std::string("\xFC\x81\x00z", 4)},
        {"no line end is added", [] { LogText("x"); LogText("y"); }, "xy"},
    };
    for (const Case &c : cases) {
        g_body.clear();
        c.write();
        EXPECT_EQ(g_body, c.expected) << c.name;
    }
}

TEST_F(LogBody, NothingIsWrittenWithoutABody)
{
    SetLogBodySink(nullptr);
    LogText("lost");
    LogPrintf("%d", 1);
    EXPECT_EQ(g_body, "");
    EXPECT_FALSE(LogBodyOpen());
}

TEST(DateFormat, Patterns)
{
    struct Case {
        DateTime when;
        const char16_t *pattern;
        String expected;
    };
    const Case cases[] = {
        {{2026, 12, 7, 13, 5, 9}, u"d-M-yy h:ii:ssap", String(u"7-Dec-2026 1:05:09p")},
        {{2026, 1, 31, 0, 0, 0}, u"d-M-yy h:ii:ssap", String(u"31-Jan-2026 12:00:00a")},
        {{2026, 6, 1, 12, 30, 59}, u"d-M-yy h:ii:ssap", String(u"1-Jun-2026 12:30:59p")},
        {{2026, 6, 1, 11, 59, 0}, u"h ap", String(u"11 a")},
        {{2026, 3, 4, 0, 0, 0}, u"yymmdd", String(u"20260304")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatDate(c.pattern, c.when), c.expected) << c.when.hour;
}

String Utf8(const String &wide)
{
    return LogUtf8FromWide(wide.Wide(), wide.WideLength());
}

TEST(LogHeader, LinesAppearByTheirConditions)
{
    LogHeader h;
    h.productName = String(u"Demo \u00C9");
    h.installDate = {2026, 12, 7, 13, 5, 9};
    h.installLocation = String(u"C:\\Program Files\\Demo");
    h.operatingSystem = String(u"Windows 10 Pro");
    EXPECT_EQ(Utf8(BuildLogHeader(h)),
              String("Installation log for: Demo \xC3\x89\r\n"
                     "Install date: 7-Dec-2026 1:05:09p\r\n"
                     "Install location: C:\\Program Files\\Demo\r\n"
                     "Installer version: 36.0\r\n"
                     "Operating system: Windows 10 Pro\r\n\r\n"));

    h.uninstallSupport = true;
    h.reinstall = true;
    h.productVersion = String(u"2.1");
    h.oldVersion = String(u"2.0");
    EXPECT_EQ(Utf8(BuildLogHeader(h)),
              String("Installation log for: Demo \xC3\x89\r\n"
                     "Install date: 7-Dec-2026 1:05:09p\r\n"
                     "Install type: Reinstall\r\n"
                     "Install location: C:\\Program Files\\Demo\r\n"
                     "Installer version: 36.0\r\n"
                     "Product version: 2.1\r\n"
                     "Overwriting version: 2.0\r\n"
                     "Operating system: Windows 10 Pro\r\n\r\n"));
    h.reinstall = false;
    EXPECT_TRUE(std::string(Utf8(BuildLogHeader(h)).Bytes()).find("Install type: New\r\n") != std::string::npos);
}

TEST(OldLog, ConvertedOnceAndMarked)
{
    struct Case {
        const char *name;
        String before;
        bool changed;
        String after;
    };
    const Case cases[] = {
        {"empty file stays empty", String(""), false, String("")},
        {"8-bit log gets mark and UTF-8", String("caf\xE9\r\n"), true, String("\xEF\xBB\xBF" "caf\xC3\xA9\r\n")},
        {"marked log untouched", String("\xEF\xBB\xBF" "\xC3\xA9"), false, String("\xEF\xBB\xBF" "\xC3\xA9")},
    };
    for (const Case &c : cases) {
        String bytes = c.before;
        EXPECT_EQ(UpgradeOldLog(bytes), c.changed) << c.name;
        EXPECT_EQ(bytes, c.after) << c.name;
    }
    EXPECT_STREQ(LogLead(true), "\xEF\xBB\xBF");
    EXPECT_EQ(std::string(LogLead(false)), "\r\n\r\n" + std::string(46, '*') + "\r\n");
}

} // namespace
