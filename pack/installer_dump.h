// Reading an installer back with the setup program's own readers: the `.setup` section's place, the
// header, the settings record and every file record with its size. Used by `kestrival-pack --dump`
// and by the tests that check what the packer wrote.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/settings.h"
#include "setupdata/settings_stream.h"

struct DumpedFile {
    FileRecord record;
    int32_t size = 0;               // from the header's size list
    uint32_t contentChecksum = 0;   // SetupChecksum of the content (checked against the record's)
};

// One value as the settings reader read it (SettingsReadTrace).
struct DumpedSettingsValue {
    int32_t offset = 0;
    SettingsForm form = SettingsForm::Raw;
    String bytes;
};

struct InstallerDump {
    uint64_t fileSize = 0;
    uint32_t sectionRawPosition = 0;
    uint32_t sectionRawSize = 0;
    uint32_t sectionVirtualAddress = 0;
    uint32_t sectionVirtualSize = 0;
    SetupHeader header;
    uint32_t imageChecksum = 0;     // computed over the program's leading part
    uint32_t signatureBytes = 0;    // the certificate table's size; 0: not signed
    Settings settings;
    std::vector<DumpedSettingsValue> settingsRecord;   // every value the reader read, in order
    std::vector<DumpedFile> files;
};

// Throws PackError naming what is wrong (a folder, not a Windows program, a program that is not an
// installer, or the setup data's corruption code). With `extractTo`, every file's content is also
// written below that folder under its record name, as the record reader hands it over. Memory stays
// bounded whatever the installer's size: the file is mapped and the pages already read are let go,
// and records too large to hold are read in pieces (setupdata/record_stream.h).
InstallerDump DumpInstaller(const std::string &path, const std::string &extractTo = std::string());

struct DumpForm {
    bool json = false;        // the whole structure as JSON instead of text for people
    bool languages = false;   // the language table row by row (otherwise only its size and names)
};

// The dump: the installer's place in the file, the header, the options and settings decoded with
// the project key of each value, the lists, the files, and the settings record as the reader read
// it (pack/dump_description.cpp).
void PrintInstallerDump(const InstallerDump &dump, FILE *out, const DumpForm &form = DumpForm());
