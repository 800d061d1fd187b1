// Signing the finished installer before it is put in place, so that one packing step makes a
// signed installer: the project names the command ([package] sign), the packer runs it on the
// temporary output, and the output appears only when the command succeeded and left a signature.
//
//   sign = ["osslsigncode", "sign", "-pkcs12", "release.p12", "-in", "{input}", "-out", "{output}"]
//
// "{input}" is the installer as written; a command that writes a new file names it "{output}"
// (which then replaces the input), one that signs in place names only "{input}". The command runs
// without a shell; its own messages go to standard error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Throws PackError when the command cannot be run, fails, or leaves no certificate table.
void SignInstaller(const std::vector<std::string> &command, const std::string &file);

// The standard PE checksum of a whole file (16-bit one's-complement sum of the words, the checksum
// field counted as zero, plus the file's length), as Windows' own tools compute it.
class PeChecksum {
public:
    explicit PeChecksum(uint64_t fieldOffset) : field_(fieldOffset) {}
    void Add(const void *bytes, size_t length);
    uint32_t Result() const;

private:
    uint64_t field_;
    uint64_t at_ = 0;
    uint64_t sum_ = 0;
    int odd_ = -1;   // a byte waiting for its pair
};
