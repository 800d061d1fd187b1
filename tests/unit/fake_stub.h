// A small stand-in for the setup program: a PE32 image of the shape the linker gives it, and the
// kinds of program the packer must refuse to build on.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

inline void Put16(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

enum class StubKind { Gui32, Gui64, Dll, Console };

// A minimal PE32 image of the shape the linker gives the setup program: DOS header, PE header,
// optional header with 16 directories, four sections of one file-alignment unit each, and room
// in the headers for one more section entry.
inline std::vector<uint8_t> FakeStub(StubKind kind = StubKind::Gui32)
{
    constexpr uint32_t pe = 0x40, optional = pe + 24, table = optional + 224;
    std::vector<uint8_t> b(0x400 + 4 * 0x200, 0);
    b[0] = 'M', b[1] = 'Z';
    Put32(b, 60, pe);
    std::memcpy(&b[pe], "PE\0\0", 4);
    Put16(b, pe + 4, 0x14C);          // i386
    Put16(b, pe + 6, 4);              // sections
    Put16(b, pe + 20, 224);           // optional header size
    Put16(b, pe + 22, 0x102);         // executable, 32-bit
    Put16(b, optional, 0x10B);        // PE32
    Put32(b, optional + 8, 0x400);    // size of initialised data
    Put32(b, optional + 16, 0x1000);  // entry point
    Put32(b, optional + 28, 0x400000);
    Put32(b, optional + 32, 0x1000);  // section alignment
    Put32(b, optional + 36, 0x200);   // file alignment
    Put16(b, optional + 40, 6);       // OS version 6.0
    Put16(b, optional + 48, 6);
    Put32(b, optional + 56, 0x5000);  // size of image
    Put32(b, optional + 60, 0x400);   // size of headers
    Put16(b, optional + 68, 2);       // GUI subsystem
    Put32(b, optional + 92, 16);      // directories
    const char *names[] = {".text", ".data", ".rdata", ".rsrc"};
    for (uint32_t i = 0; i < 4; ++i) {
        const size_t e = table + i * 40;
        std::memcpy(&b[e], names[i], std::strlen(names[i]));
        Put32(b, e + 8, 0x100);                   // virtual size
        Put32(b, e + 12, 0x1000 * (i + 1));       // virtual address
        Put32(b, e + 16, 0x200);                  // raw size
        Put32(b, e + 20, 0x400 + 0x200 * i);      // raw position
        Put32(b, e + 36, i == 0 ? 0x60000020 : 0x40000040);
        b[0x400 + 0x200 * i] = uint8_t(0xC3);     // something in each section
    }
    if (kind == StubKind::Gui64)
        Put16(b, optional, 0x20B);    // PE32+
    if (kind == StubKind::Dll)
        Put16(b, pe + 22, 0x2102);
    if (kind == StubKind::Console)
        Put16(b, optional + 68, 3);
    return b;
}

