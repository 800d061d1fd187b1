// The host build (the packer and the unit tests) runs on no target machine: this source knows no
// folder, registry value or environment variable, so every chain ends at its fixed fallback.
// Tests that need values install their own source through SetPathValueSource.
#include "setupdata/path_variables.h"

namespace {

class NoMachinePathValueSource final : public PathValueSource {
public:
    String ShellFolder(int) override { return String(); }
    String KnownFolderPath(KnownFolder) override { return String(); }
    String ShellFoldersValue(bool, const char16_t *) override { return String(); }
    String CurrentVersionValue(const char16_t *) override { return String(); }
    String BootDir() override { return String(); }
    String DevicePath() override { return String(); }
    String MediaPath() override { return String(); }
    String WebRootPath() override { return String(); }
    String WindowsFolder() override { return String(); }
    String SystemFolder() override { return String(); }
    String TempFolder() override { return String(); }
    String ModuleFileName() override { return String(); }
    String EnvironmentVariable(const char16_t *) override { return String(); }
    bool ExpandEnvironment(String &) override { return false; }
    bool Is64BitWindows() override { return false; }
    bool IsWindowsNT() override { return true; }
};

} // namespace

PathValueSource &DefaultPathValueSource()
{
    static NoMachinePathValueSource source;
    return source;
}
