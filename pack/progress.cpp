#include "pack/progress.h"

#include <cstdio>
#include <unistd.h>

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

PackProgress::PackProgress(bool enabled, uint64_t totalBytes) : enabled_(enabled), total_(totalBytes) {}

PackProgress::~PackProgress() { Finish(); }

void PackProgress::Update(uint64_t doneBytes, const std::string &current)
{
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(150) && doneBytes < total_)
        return;
    last_ = now;
    shown_ = true;
    const int percent = total_ ? static_cast<int>(doneBytes * 100 / total_) : 100;
    // Long names are cut from the left: the file's own name is the part worth seeing.
    std::string name = current;
    if (name.size() > 50)
        name = "..." + name.substr(name.size() - 47);
    std::printf("\r\033[K%3d%%  %llu/%llu MiB  %s", percent,
                static_cast<unsigned long long>(doneBytes >> 20),
                static_cast<unsigned long long>(total_ >> 20), name.c_str());
    std::fflush(stdout);
}

void PackProgress::Finish()
{
    if (enabled_ && shown_) {
        std::printf("\r\033[K");
        std::fflush(stdout);
    }
    shown_ = false;
}
