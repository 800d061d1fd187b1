// The setup program an installer is built on (the stub), read and checked: an installer built on
// anything but a 32-bit Windows GUI program would not start, or would start without its setup
// data, on the user's machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The stub's bytes. Throws PackError for a folder, a file that is not a Windows program, a 64-bit
// program, a DLL and a console program; a program without the setup program's own version resource
// adds a warning (it may be a setup program of another build, or another program altogether).
std::vector<uint8_t> ReadStub(const std::string &path, std::vector<std::string> &warnings);
