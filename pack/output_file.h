// An output file that appears complete or not at all: the bytes go to a temporary file beside the
// target, which replaces the target only when Commit is called. Destroyed without a commit (an error
// was thrown while writing), the temporary file is removed and the target left as it was.
#pragma once

#include <cstdint>
#include <cstdio>
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

    // Flushes, closes and renames the temporary file onto the target.
    void Commit();

    const std::string &TemporaryPath() const { return temporary_; }

private:
    [[noreturn]] void Fail(const char *what);

    std::string target_;
    std::string temporary_;
    FILE *file_ = nullptr;
    uint64_t size_ = 0;
};
