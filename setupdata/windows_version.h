// The running Windows version as the system reports it, and the two questions the setup data asks
// of it: is it at least a Server 2003 class system, and which bit of the unsupported-systems mask
// (settings item 48) stands for it.
#pragma once

#include <cstdint>

enum WindowsPlatform : uint32_t {
    kPlatformWin32s = 0,     // VER_PLATFORM_WIN32s
    kPlatformWindows9x = 1,  // VER_PLATFORM_WIN32_WINDOWS
    kPlatformNT = 2,         // VER_PLATFORM_WIN32_NT
};

struct WindowsVersion {
    uint32_t platform = kPlatformNT;
    uint32_t major = 0;
    uint32_t minor = 0;
    bool workstation = true;  // VER_NT_WORKSTATION; false for domain controllers and servers
    uint32_t build = 0;
};

// Bits of the unsupported-systems mask.
namespace UnsupportedSystem {
constexpr uint32_t Other = 0x1;
constexpr uint32_t Win32s = 0x2;
constexpr uint32_t Windows95 = 0x4;
constexpr uint32_t Windows98 = 0x8;
constexpr uint32_t WindowsMe = 0x10;
constexpr uint32_t NT3 = 0x20;
constexpr uint32_t NT4 = 0x40;
constexpr uint32_t Windows2000 = 0x80;
constexpr uint32_t WindowsXP = 0x100;
constexpr uint32_t Server2003 = 0x200;
constexpr uint32_t Vista = 0x400;
constexpr uint32_t Server2008 = 0x800;        // and Server 2008 R2
constexpr uint32_t Windows7 = 0x1000;
constexpr uint32_t Windows8 = 0x2000;         // and 8.1
constexpr uint32_t Server2012 = 0x4000;       // and 2012 R2
constexpr uint32_t Windows10 = 0x8000;        // 6.4 and 10.0 workstation
constexpr uint32_t Server2016 = 0x10000;      // 10.0 server before build 17733
constexpr uint32_t Server2019 = 0x20000;      // 10.0 server from build 17733
} // namespace UnsupportedSystem

// The bit of the unsupported-systems mask that stands for `version`.
uint32_t UnsupportedSystemBit(const WindowsVersion &version);

// True on NT systems of version 5.2 server class or later (5.2 server, anything above 5.2).
bool IsServer2003ClassOrLater(const WindowsVersion &version);
