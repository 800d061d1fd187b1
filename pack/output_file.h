// An output file that appears complete or not at all: the bytes go to a temporary file beside the
// target, which replaces the target only when Commit is called. Destroyed without a commit (an error
// was thrown while writing), the temporary file is removed and the target left as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

class OutputFile {
public:
    explicit OutputFile(const std::string &target);   // throws PackError when it cannot be made
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    void Write(const void *bytes, size_t length);
    void WriteAt(uint64_t offset, const void *bytes, size_t length);   // then back to the end
    uint64_t Size() const { return size_; }

    // Hands every byte written so far, from the start, to `take` (the PE checksum covers the
    // whole file, patched headers included).
    void ReadBack(const std::function<void(const void *, size_t)> &take);

    // Flushes, closes and renames the temporary file onto the target; `beforeRename`, when given,
    // runs on the closed temporary file first (signing) and may throw to fail the commit.
    void Commit(const std::function<void(const std::string &temporary)> &beforeRename = {});

    const std::string &TemporaryPath() const { return temporary_; }

private:
    [[noreturn]] void Fail(const char *what);

    std::string target_;
    std::string temporary_;
    FILE *file_ = nullptr;
    uint64_t size_ = 0;
};
