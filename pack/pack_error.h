// The packer's one failure idiom: every error that stops packing (a bad project file, a missing
// input, a damaged stub or installer, an output that cannot be written) is a PackError whose text is
// the whole message shown to the user.
#pragma once

#include <stdexcept>
#include <string>

class PackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "what: reason" with the C library's text of errno.
[[noreturn]] void ThrowSystemError(const std::string &what);
