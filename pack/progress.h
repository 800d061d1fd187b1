// The progress line of a long packing run: shown on a terminal only (stdout is a tty and --quiet was
// not given), redrawn at most a few times a second, erased when the run ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class PackProgress {
public:
    PackProgress(bool enabled, uint64_t totalBytes);
    ~PackProgress();

    // Bytes of file content consumed so far, and the file being packed.
    void Update(uint64_t doneBytes, const std::string &current);
    void Finish();

private:
    bool enabled_;
    uint64_t total_;
    std::chrono::steady_clock::time_point last_{};
    bool shown_ = false;
};

// True when progress should be drawn on stdout.
bool StdoutIsTerminal();
