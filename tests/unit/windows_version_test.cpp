#include <gtest/gtest.h>

#include "setupdata/windows_version.h"

namespace {

struct VersionCase {
    WindowsVersion version;
    uint32_t bit;
    bool server2003Class;
};

TEST(WindowsVersionBits, EachSystemHasItsBit)
{
    const bool ws = true, srv = false;
    const VersionCase cases[] = {
        {{kPlatformWin32s, 3, 10, ws, 0}, UnsupportedSystem::Win32s, false},
        {{kPlatformWindows9x, 4, 0, ws, 950}, UnsupportedSystem::Windows95, false},
        {{kPlatformWindows9x, 4, 9, ws, 0}, UnsupportedSystem::Windows95, false},
        {{kPlatformWindows9x, 4, 10, ws, 1998}, UnsupportedSystem::Windows98, false},
        {{kPlatformWindows9x, 4, 89, ws, 0}, UnsupportedSystem::Windows98, false},
        {{kPlatformWindows9x, 4, 90, ws, 3000}, UnsupportedSystem::WindowsMe, false},
        {{kPlatformWindows9x, 5, 0, ws, 0}, UnsupportedSystem::Other, false},
        {{kPlatformNT, 3, 51, ws, 1057}, UnsupportedSystem::NT3, false},
        {{kPlatformNT, 4, 0, srv, 1381}, UnsupportedSystem::NT4, false},
        {{kPlatformNT, 5, 0, ws, 2195}, UnsupportedSystem::Windows2000, false},
        {{kPlatformNT, 5, 1, ws, 2600}, UnsupportedSystem::WindowsXP, false},
        {{kPlatformNT, 5, 2, ws, 3790}, UnsupportedSystem::WindowsXP, false},   // XP x64
        {{kPlatformNT, 5, 2, srv, 3790}, UnsupportedSystem::Server2003, true},
        {{kPlatformNT, 6, 0, ws, 6002}, UnsupportedSystem::Vista, true},
        {{kPlatformNT, 6, 0, srv, 6002}, UnsupportedSystem::Server2008, true},
        {{kPlatformNT, 6, 1, srv, 7601}, UnsupportedSystem::Server2008, true},
        {{kPlatformNT, 6, 1, ws, 7601}, UnsupportedSystem::Windows7, true},
        {{kPlatformNT, 6, 2, ws, 9200}, UnsupportedSystem::Windows8, true},
        {{kPlatformNT, 6, 3, ws, 9600}, UnsupportedSystem::Windows8, true},
        {{kPlatformNT, 6, 3, srv, 9600}, UnsupportedSystem::Server2012, true},
        {{kPlatformNT, 6, 4, srv, 9841}, UnsupportedSystem::Windows10, true},
        {{kPlatformNT, 6, 5, ws, 0}, UnsupportedSystem::Other, true},
        {{kPlatformNT, 10, 0, ws, 19045}, UnsupportedSystem::Windows10, true},
        {{kPlatformNT, 10, 0, srv, 17732}, UnsupportedSystem::Server2016, true},
        {{kPlatformNT, 10, 0, srv, 17733}, UnsupportedSystem::Server2019, true},
        {{kPlatformNT, 10, 1, ws, 0}, UnsupportedSystem::Other, true},
        {{kPlatformNT, 11, 0, ws, 0}, UnsupportedSystem::Other, true},
        {{7, 10, 0, ws, 0}, UnsupportedSystem::Other, false},
    };
    for (const VersionCase &c : cases) {
        const WindowsVersion &v = c.version;
        const std::string name = std::to_string(v.platform) + ":" + std::to_string(v.major) + "." +
                                 std::to_string(v.minor) + (v.workstation ? " ws " : " srv ") +
                                 std::to_string(v.build);
        EXPECT_EQ(UnsupportedSystemBit(v), c.bit) << name;
        EXPECT_EQ(IsServer2003ClassOrLater(v), c.server2003Class) << name;
    }
}

} // namespace
