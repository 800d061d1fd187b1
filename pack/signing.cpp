#include "pack/signing.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "pack/pack_error.h"
#include "pack/pe_info.h"

namespace {

std::string Joined(const std::vector<std::string> &words)
{
    std::string out;
    for (const std::string &w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

std::string Replaced(std::string word, const std::string &mark, const std::string &by)
{
    for (size_t at = word.find(mark); at != std::string::npos; at = word.find(mark, at + by.size()))
        word.replace(at, mark.size(), by);
    return word;
}

} // namespace

void SignInstaller(const std::vector<std::string> &command, const std::string &file)
{
    const std::string signedFile = file + ".signed";
    bool writesOutput = false;
    std::vector<std::string> words;
    for (const std::string &w : command) {
        writesOutput = writesOutput || w.find("{output}") != std::string::npos;
        words.push_back(Replaced(Replaced(w, "{input}", file), "{output}", signedFile));
    }
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        ThrowSystemError("cannot start the signing command");
    if (child == 0) {
        // Its output is for the user, not for the caller's standard output (a --dump pipe).
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[0], argv.data());
        std::fprintf(stderr, "kestrival-pack: cannot run %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::remove(signedFile.c_str());
        throw PackError("the signing command failed (" + Joined(command) + ")");
    }
    if (writesOutput && std::rename(signedFile.c_str(), file.c_str()) != 0) {
        std::remove(signedFile.c_str());
        ThrowSystemError("the signing command left no " + signedFile);
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> head(64 * 1024);
    in.read(reinterpret_cast<char *>(head.data()), std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    PeInfo info;
    if (!ReadPeInfo(head.data(), head.size(), info) || info.certificateSize == 0)
        throw PackError("the signing command succeeded but left no signature in the installer (" +
                        Joined(command) + ")");
}

void PeChecksum::Add(const void *bytes, size_t length)
{
    const uint8_t *p = static_cast<const uint8_t *>(bytes);
    while (length > 0) {
        // Whole words before the checksum field (or the end) are summed in bulk: the end-around
        // carries of a 64-bit sum fold to the same 16 bits as folding after every word.
        size_t words = odd_ >= 0 || (at_ >= field_ && at_ < field_ + 4) ? 0 : length;
        if (words && at_ < field_)
            words = std::min<uint64_t>(words, field_ - at_);
        words &= ~size_t(1);
        if (words) {
            uint64_t sum = 0;
            for (size_t i = 0; i < words; i += 2)
                sum += uint32_t(p[i]) | uint32_t(p[i + 1]) << 8;
            sum_ += sum;
            while (sum_ >> 16)
                sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
            p += words;
            at_ += words;
            length -= words;
            continue;
        }
        // One byte: a word's half, or a byte of the field (counted as zero).
        const uint8_t b = at_ >= field_ && at_ < field_ + 4 ? 0 : *p;
        if (odd_ < 0) {
            odd_ = b;
        } else {
            sum_ += uint32_t(odd_) | uint32_t(b) << 8;
            sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
            odd_ = -1;
        }
        ++p;
        ++at_;
        --length;
    }
}

uint32_t PeChecksum::Result() const
{
    uint64_t sum = sum_;
    if (odd_ >= 0)
        sum += uint32_t(odd_);
    sum = (sum & 0xFFFF) + (sum >> 16);
    sum = (sum & 0xFFFF) + (sum >> 16);
    return uint32_t(sum + at_);
}
