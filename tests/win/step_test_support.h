// What the Windows tests of the installation steps share: the log captured into a text, the
// failure summary and uninstall records emptied before each test, wide texts shown as 8-bit.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "core/failure_summary.h"
#include "core/path_text.h"
#include "install/install_log.h"
#include "uninstall/uninstall_data.h"

inline std::string &CapturedLog()
{
    static std::string log;
    return log;
}

inline void CaptureLog(const char *bytes, int32_t length) { CapturedLog().append(bytes, static_cast<size_t>(length)); }

inline String W(const char16_t *text) { return String(text); }

// Wide text as 8-bit path text, for readable comparisons.
inline std::string U8(const String &wide)
{
    String bytes = PathTextFromWide(wide);
    return std::string(bytes.Bytes(), static_cast<size_t>(bytes.Length()));
}

class StepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CapturedLog().clear();
        SetLogBodySink(CaptureLog);
        ClearFailureSummary();
        g_uninstall.list.Clear();
        g_uninstall.associations.clear();
        g_uninstall.firewall.clear();
    }
    void TearDown() override { SetLogBodySink(nullptr); }
    std::string Summary() const { return std::string(FailureSummary().Bytes(), FailureSummary().Length()); }
};
