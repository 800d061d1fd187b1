#include "pack/output_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "pack/pack_error.h"

namespace {

// The temporary file being written, for the signal handler: an interrupted run (Ctrl-C, a killed
// build) removes it as a failed one does.
std::atomic<const char *> g_partialFile{nullptr};

extern "C" void RemovePartialFileAndDie(int signal)
{
    if (const char *path = g_partialFile.load())
        unlink(path);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void WatchPartialFile(const char *path)
{
    g_partialFile.store(path);
    if (path) {
        std::signal(SIGINT, RemovePartialFileAndDie);
        std::signal(SIGTERM, RemovePartialFileAndDie);
        std::signal(SIGHUP, RemovePartialFileAndDie);
    }
}

} // namespace

void ThrowSystemError(const std::string &what)
{
    throw PackError(what + ": " + std::strerror(errno));
}

OutputFile::OutputFile(const std::string &target) : target_(target)
{
    // Beside the target, so that the final rename stays within one file system.
    temporary_ = target + ".partial-XXXXXX";
    const int fd = mkstemp(temporary_.data());
    if (fd < 0)
        ThrowSystemError("cannot create " + target_);
    file_ = fdopen(fd, "w+b");
    if (!file_) {
        const int error = errno;
        close(fd);
        unlink(temporary_.c_str());
        errno = error;
        ThrowSystemError("cannot create " + target_);
    }
    WatchPartialFile(temporary_.c_str());
}

OutputFile::~OutputFile()
{
    WatchPartialFile(nullptr);
    if (file_) {
        fclose(file_);
        unlink(temporary_.c_str());
    }
}

// Named by the output the user gave: the temporary file's name means nothing to them.
void OutputFile::Fail(const char *what)
{
    ThrowSystemError(std::string(what) + " " + target_);
}

void OutputFile::Write(const void *bytes, size_t length)
{
    if (length && fwrite(bytes, 1, length, file_) != length)
        Fail("cannot write");
    size_ += length;
}

void OutputFile::WriteAt(uint64_t offset, const void *bytes, size_t length)
{
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0)
        Fail("cannot seek in");
    if (length && fwrite(bytes, 1, length, file_) != length)
        Fail("cannot write");
    if (offset + length > size_)
        size_ = offset + length;
    if (fseeko(file_, 0, SEEK_END) != 0)
        Fail("cannot seek in");
}

void OutputFile::ReadBack(const std::function<void(const void *, size_t)> &take)
{
    if (fflush(file_) != 0 || fseeko(file_, 0, SEEK_SET) != 0)
        Fail("cannot read back");
    std::vector<char> piece(1 << 20);
    for (uint64_t left = size_; left > 0;) {
        const size_t n = size_t(std::min<uint64_t>(left, piece.size()));
        if (fread(piece.data(), 1, n, file_) != n)
            Fail("cannot read back");
        take(piece.data(), n);
        left -= n;
    }
    if (fseeko(file_, 0, SEEK_END) != 0)
        Fail("cannot seek in");
}

void OutputFile::Commit(const std::function<void(const std::string &temporary)> &beforeRename)
{
    if (fflush(file_) != 0 || fsync(fileno(file_)) != 0)
        Fail("cannot write");
    // mkstemp makes the file private; an installer gets the mode a linker would give it.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fileno(file_), 0777 & ~mask) != 0)
        Fail("cannot set the mode of");
    const int closed = fclose(file_);
    file_ = nullptr;
    if (closed != 0) {
        const int error = errno;
        unlink(temporary_.c_str());
        errno = error;
        ThrowSystemError("cannot write " + target_);
    }
    if (beforeRename) {
        try {
            beforeRename(temporary_);
        } catch (...) {
            unlink(temporary_.c_str());
            throw;
        }
    }
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        unlink(temporary_.c_str());
        errno = error;
        ThrowSystemError("cannot put the finished " + target_ + " in place");
    }
    WatchPartialFile(nullptr);
}
