#include "setupdata/windows_version.h"

namespace {

// Server 2019 and its semi-annual siblings report 10.0 like Server 2016; the build tells them apart.
constexpr uint32_t kFirstServer2019Build = 17733;

uint32_t Windows9xBit(const WindowsVersion &v)
{
    if (v.major != 4)
        return UnsupportedSystem::Other;
    if (v.minor < 10)
        return UnsupportedSystem::Windows95;
    if (v.minor < 90)
        return UnsupportedSystem::Windows98;
    return UnsupportedSystem::WindowsMe;
}

uint32_t WindowsNTBit(const WindowsVersion &v)
{
    if (v.major <= 3)
        return UnsupportedSystem::NT3;
    if (v.major == 4)
        return v.minor == 0 ? UnsupportedSystem::NT4 : UnsupportedSystem::Other;
    if (v.major == 5) {
        switch (v.minor) {
        case 0: return UnsupportedSystem::Windows2000;
        case 1: return UnsupportedSystem::WindowsXP;
        case 2: return v.workstation ? UnsupportedSystem::WindowsXP : UnsupportedSystem::Server2003;
        default: return UnsupportedSystem::Other;
        }
    }
    if (v.major == 6) {
        switch (v.minor) {
        case 0: return v.workstation ? UnsupportedSystem::Vista : UnsupportedSystem::Server2008;
        case 1: return v.workstation ? UnsupportedSystem::Windows7 : UnsupportedSystem::Server2008;
        case 2:
        case 3: return v.workstation ? UnsupportedSystem::Windows8 : UnsupportedSystem::Server2012;
        case 4: return UnsupportedSystem::Windows10;
        default: return UnsupportedSystem::Other;
        }
    }
    if (v.major == 10 && v.minor == 0) {
        if (v.workstation)
            return UnsupportedSystem::Windows10;
        return v.build < kFirstServer2019Build ? UnsupportedSystem::Server2016
                                               : UnsupportedSystem::Server2019;
    }
    return UnsupportedSystem::Other;
}

} // namespace

uint32_t UnsupportedSystemBit(const WindowsVersion &version)
{
    switch (version.platform) {
    case kPlatformWin32s: return UnsupportedSystem::Win32s;
    case kPlatformWindows9x: return Windows9xBit(version);
    case kPlatformNT: return WindowsNTBit(version);
    default: return UnsupportedSystem::Other;
    }
}

bool IsServer2003ClassOrLater(const WindowsVersion &version)
{
    if (version.platform != kPlatformNT)
        return false;
    if (version.major != 5)
        return version.major > 5;
    return version.minor > 2 || (version.minor == 2 && !version.workstation);
}
