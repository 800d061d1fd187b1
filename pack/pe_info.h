// What the packer needs to know of a Windows program file: its kind (machine, 32 or 64 bits, DLL
// or program, GUI or console) and the texts of its version resource. Every read is checked
// against the file's length, so any file can be given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint16_t kCharacteristicDll = 0x2000;
constexpr uint16_t kSubsystemGui = 2;
constexpr uint16_t kSubsystemConsole = 3;

struct PeInfo {
    uint16_t machine = 0;
    uint16_t magic = 0;             // kPe32Magic or kPe32PlusMagic
    uint16_t characteristics = 0;
    uint16_t subsystem = 0;
    uint32_t certificateOffset = 0;  // the certificate table (a signature): file offset and size
    uint32_t certificateSize = 0;
    bool hasVersion = false;        // a version resource was found and read
    // The first string table of the version resource ("FileVersion" -> "1.2.3.4"), UTF-8.
    std::map<std::string, std::string> versionTexts;
};

// False when the bytes are not a PE image (no MZ header, no PE signature, no optional header).
bool ReadPeInfo(const uint8_t *file, size_t length, PeInfo &info);

// The version as the setup program compares it: "1, 2, 3, 4" becomes "1.2.3.4"; anything after
// the leading digits, dots, commas and blanks (" (build 7)") is dropped.
std::string NormalizedFileVersion(const std::string &text);
