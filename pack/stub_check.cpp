#include "pack/stub_check.h"

#include <filesystem>
#include <fstream>

#include "pack/pack_error.h"
#include "pack/pe_info.h"

namespace fs = std::filesystem;

namespace {

// The product name of the setup program's version resource (res/setup.rc).
constexpr char kSetupProductName[] = "Kestrival Setup";

} // namespace

std::vector<uint8_t> ReadStub(const std::string &path, std::vector<std::string> &warnings)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        throw PackError("the setup program " + path + " is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowSystemError("cannot open the setup program " + path);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        ThrowSystemError("cannot read the setup program " + path);

    const std::string what = "the setup program " + path;
    PeInfo info;
    if (!ReadPeInfo(bytes.data(), bytes.size(), info))
        throw PackError(what + " is not a Windows program");
    if (info.magic == kPe32PlusMagic)
        throw PackError(what + " is a 64-bit program; the setup program is a 32-bit one");
    if (info.machine != kMachineI386)
        throw PackError(what + " is not a program for x86 processors");
    if (info.characteristics & kCharacteristicDll)
        throw PackError(what + " is a DLL, not a program");
    if (info.subsystem == kSubsystemConsole)
        throw PackError(what + " is a console program; the setup program is a GUI program");
    if (info.subsystem != kSubsystemGui)
        throw PackError(what + " is not a Windows GUI program");
    const auto name = info.versionTexts.find("ProductName");
    if (name == info.versionTexts.end() || name->second != kSetupProductName)
        warnings.push_back(path + ": this program does not carry the setup program's version "
                                  "resource (product name \"" + std::string(kSetupProductName) +
                                  "\"); is it the setup program?");
    return bytes;
}
