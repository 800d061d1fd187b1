// The icon of the uninstaller program: an icon file ("uninstall.ico" format) taken apart into the
// resources Windows shows for a program.
//
//   icon file:   ICONDIR  reserved u16 = 0, type u16 = 1, count u16
//                count x  16-byte entry: width u8, height u8, colours u8, reserved u8, planes u16,
//                         bits per pixel u16, image size u32, image offset u32
//                images   at their offsets
//   resources:   RT_ICON (3) number i + 1 = image i;  RT_GROUP_ICON (14) number 1 = the header
//                followed by one 14-byte IconEntryHeader per image (the first 12 bytes of the
//                file's entry, then the 16-bit resource number); all language 1033.
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"

#pragma pack(push, 2)
struct IconEntryHeader {
    uint8_t width;
    uint8_t height;
    uint8_t colourCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitsPerPixel;
    uint32_t imageSize;
    uint16_t resourceNumber;
};
#pragma pack(pop)
static_assert(sizeof(IconEntryHeader) == 14, "the group entry is 14 bytes");

struct IconResources {
    std::vector<String> images;   // RT_ICON data, numbered from 1
    String group;                 // RT_GROUP_ICON data
};

// False for a file that is not an icon file or whose images lie outside it.
bool ParseIconFile(const String &file, IconResources &out);
