// A packing project: everything kestrival-pack needs to write one installer, read from a project
// file (TOML; its format is documented in README.md and examples/everything/everything.toml).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "setupdata/file_record.h"
#include "setupdata/settings.h"

// One file of the product: where its content comes from and the record that describes it.
struct ProjectFile {
    std::string source;        // host path of the content
    uint64_t size = 0;         // bytes, at most 0x40000000
    FileRecord record;
    std::string origin;        // "project.toml:12", the entry that added the file, for messages
};

// The default compression level. libdeflate's level 6 gives chunks smaller than zlib's level 9 does
// (0.5 % on program files, 3 % on the benchmark's payload) in about half the time of its own level
// 9, which saves another 0.2 % at most.
constexpr int kDefaultLevel = 6;

// How the installer is built (the [package] table and the command line).
struct PackageOptions {
    int level = kDefaultLevel;          // compression level of the script and the chunks, 0 to 9
    int32_t chunkSize = 1 << 20;        // record-stream bytes per data chunk
    bool encrypt = false;               // Blowfish on script and chunks (ProductFlags2 0x1000)
    std::array<uint8_t, 8> key{};       // the cipher key when encrypting
    bool keyGiven = false;              // false: the key is drawn from the settings record
    std::vector<std::string> signCommand;   // [package] sign (pack/signing.h); empty: unsigned
};

// A host file that the project reads besides the payload (the project file itself, documents,
// pictures, sounds): the output must never replace one of them.
struct ProjectInput {
    std::string path;
    std::string origin;        // "project.toml:12", or "" for the project file
};

struct Project {
    std::string path;                   // the project file
    std::string folder;                 // its folder: relative paths in the file start here
    Settings settings;                  // the settings record, ProductFlags2 included
    PackageOptions package;
    bool uninstallerDateGiven = false;  // false: the uninstaller gets the stub's own date
    std::vector<ProjectFile> files;     // in record order
    std::vector<ProjectInput> inputs;   // every other host file read, the project file first
    std::vector<std::string> warnings;  // "file:line: what", for the list at the end of a run
};

// Reads and checks a project file. Throws PackError with "file:line: what is wrong" (and the
// offending line) for syntax errors, unknown keys, wrong types, values out of range and missing
// input files.
Project ReadProject(const std::string &path);

// The same for project text held in memory; `name` is used in messages and `folder` is the base of
// relative paths.
Project ReadProjectText(const std::string &text, const std::string &name, const std::string &folder);
