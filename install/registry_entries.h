// The registry instructions of the setup script: one instruction per line, comma-separated fields
// (core/csv.h; a field in double quotes may hold commas):
//
//   key path                                           the key is created
//   key path, value name, value type, data, operation  a value
//   any other number of fields                         illegal ("Illegal registry entry: ")
//
// Key paths use the registry path syntax (install/registry_path.h). The value type is the Windows
// type number; the data text is prepared by type (PrepareRegistryData). Operations: 1 and 3 write
// the value at installation, 4 and 5 delete it; 2 does neither. At uninstallation values of
// operations 2, 3 and 5 are deleted, so 1 and 4 leave the value as the installation left it.
// Lines that are empty or only blanks are no instructions.
//
// The text is kept wide: the installation reads the settings' 8-bit text as 8-bit path text, the
// uninstaller gets it back from the "[Registry2]" section of "Uninstall.DAT".
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"

enum class RegistryEntryKind { Key, Value, Illegal };

struct RegistryEntry {
    RegistryEntryKind kind = RegistryEntryKind::Illegal;
    String line;          // the instruction as written, without its line end
    String keyPath;       // trimmed
    String valueName;
    uint32_t type = 0;
    String data;          // the data text, not yet prepared
    int operation = 0;
};

// Registry value types the data preparation knows.
constexpr uint32_t kRegistryTypeString = 1;          // REG_SZ
constexpr uint32_t kRegistryTypeExpandString = 2;    // REG_EXPAND_SZ
constexpr uint32_t kRegistryTypeBinary = 3;          // REG_BINARY
constexpr uint32_t kRegistryTypeDword = 4;           // REG_DWORD
constexpr uint32_t kRegistryTypeQword = 11;          // REG_QWORD

// The instructions of a wide text, in order (blank lines skipped).
std::vector<RegistryEntry> ParseRegistryEntries(const String &text);

// The operation's effect at installation and at uninstallation.
bool RegistryOperationWrites(int operation);            // 1, 3
bool RegistryOperationDeletes(int operation);           // 4, 5
bool RegistryOperationDeletesAtUninstall(int operation);   // 2, 3, 5

// The bytes written for `type` from the data text: REG_SZ and REG_EXPAND_SZ the wide text with
// its terminator (the caller expands the path variables of REG_SZ first); REG_BINARY bytes given
// as hexadecimal values separated by blanks ("0a 1B ff", "0x" allowed); REG_DWORD and REG_QWORD a
// decimal number (a leading "-" counts down from 2^32 or 2^64) or a "0x" hexadecimal one, little
// endian; any other type empty data. False, with `problem` (wide) saying what is wrong, for data that
// does not fit its type: a stray character, a byte above ff, a number too large for 32 or 64 bits.
bool PrepareRegistryData(uint32_t type, const String &data, String &bytes, String &problem);

// The settings' 8-bit registry text as the wide text the instructions are parsed from and
// "[Registry2]" stores.
String RegistryTextWide(const String &settingsText);
