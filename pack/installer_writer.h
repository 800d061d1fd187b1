// Writing an installer: the setup program (the stub) with the product's setup data appended as its
// `.setup` section.
//
// The section is written straight into the output file: the header and the script first (with the
// fields that depend on the file data left for later), then the file data chunk by chunk as the
// product's files are read, so that memory holds one chunk and one file's buffer at a time however
// large the product is. The header's data fields, the section table entry and the image checksum
// are filled in at the end, and the output appears under its name only when all of it was written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/project.h"

struct PackOptions {
    std::string stub;           // the setup program to append to
    std::string output;         // the installer to write
    int level = -1;             // zlib level 0-9; -1: the project's
    int32_t chunkSize = 0;      // record-stream bytes per chunk; 0: the project's
    unsigned threads = 0;       // compression workers; 0: one per core
    bool progress = false;      // draw a progress line on stdout
    bool verbose = false;       // one line per file on stdout
    bool warningsAreErrors = false;   // --werror: any warning fails the run, with no output
};

struct PackSummary {
    int files = 0;
    uint64_t contentBytes = 0;  // the files' own sizes
    uint64_t dataBytes = 0;     // the file data block as stored
    uint64_t installerBytes = 0;
    std::vector<std::string> warnings;   // the project's and the run's, in the order found
};

// Throws PackError; on any error the output file is left as it was.
PackSummary PackInstaller(const Project &project, const PackOptions &options);
