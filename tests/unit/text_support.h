// Helpers for tests of texts: readable failure output for String and capture of fatal messages.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "core/fatal.h"
#include "core/string.h"

// gtest prints a String as its bytes: printable ASCII as is, others as \xNN.
inline void PrintTo(const String &s, std::ostream *os)
{
    *os << '"';
    for (int32_t i = 0; i < s.Length(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s.Bytes()[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            *os << c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            *os << hex;
        }
    }
    *os << "\" (" << s.Length() << " bytes)";
}

// A regular expression that matches `text` exactly (for death-test output).
inline std::string ExactPattern(const std::string &text)
{
    std::string pattern = "^";
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

// The fatal-error display of a death-test child: the message alone on stderr.
inline void WriteFatalMessageToStderr(const char *message)
{
    std::fputs(message, stderr);
    std::fflush(stderr);
}

// Expects `statement` to end the process through the fatal-error path with exactly `message`.
#define EXPECT_FATAL_MESSAGE(statement, message)                                                    \
    EXPECT_EXIT(                                                                                    \
        {                                                                                           \
            SetFatalDisplay(WriteFatalMessageToStderr);                                             \
            statement;                                                                              \
        },                                                                                          \
        ::testing::ExitedWithCode(1), ExactPattern(message))
