#include "pack/installer_dump.h"

#include <cinttypes>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/codepage.h"
#include "core/fatal.h"
#include "core/path_text.h"
#include "core/program_title.h"
#include "pack/pack_error.h"
#include "setupdata/checksum.h"
#include "setupdata/corruption.h"
#include "setupdata/pe_image.h"
#include "setupdata/settings_stream.h"

namespace {

// The setup data readers end the program on corruption; here they end the dump instead.
struct CorruptionFound {
    int code;
};

void ThrowCorruption(int code) { throw CorruptionFound{code}; }
void ThrowFatal(const char *message) { throw PackError(message); }

// Installs the throwing handlers for the readers' lifetime.
class ReaderFailuresThrow {
public:
    ReaderFailuresThrow()
    {
        SetCorruptionHandler(ThrowCorruption);
        SetFatalDisplay(ThrowFatal);
    }
    ~ReaderFailuresThrow()
    {
        SetCorruptionHandler(nullptr);
        SetFatalDisplay(nullptr);
    }
};

// The installer's file, mapped read-only: the readers take the section in place, as the program
// takes it from its loaded image.
class MappedFile {
public:
    explicit MappedFile(const std::string &path)
    {
        fd_ = open(path.c_str(), O_RDONLY);
        if (fd_ < 0)
            ThrowSystemError("cannot open " + path);
        struct stat st {};
        if (fstat(fd_, &st) != 0)
            ThrowSystemError("cannot read " + path);
        size_ = size_t(st.st_size);
        if (size_ == 0)
            throw PackError(path + " is empty");
        void *p = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (p == MAP_FAILED)
            ThrowSystemError("cannot read " + path);
        bytes_ = static_cast<const uint8_t *>(p);
    }
    ~MappedFile()
    {
        if (bytes_)
            munmap(const_cast<uint8_t *>(bytes_), size_);
        if (fd_ >= 0)
            close(fd_);
    }
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    const uint8_t *Bytes() const { return bytes_; }
    size_t Size() const { return size_; }

private:
    int fd_ = -1;
    const uint8_t *bytes_ = nullptr;
    size_t size_ = 0;
};

void ReadInstaller(const MappedFile &file, InstallerDump &dump)
{
    SetupSectionLocation location;
    if (!LocateSetupSectionInFile(file.Bytes(), file.Size(), location))
        throw PackError("the file has no .setup section: it is a program, not an installer");
    dump.sectionRawPosition = location.rawDataPosition;
    dump.sectionRawSize = location.rawSize;
    dump.sectionVirtualAddress = location.virtualAddress;
    dump.sectionVirtualSize = location.virtualSize;
    if (location.rawDataPosition > file.Size())
        ReportCorruption(kCorruptionOutOfBounds);
    const uint8_t *section = file.Bytes() + location.rawDataPosition;
    size_t length = file.Size() - location.rawDataPosition;
    length = std::min<size_t>(length, location.MappedLength());

    // A setup data format other than this program's would end the readers with a fatal message
    // meant for the installer's user; say it in the packer's words instead.
    SetupCursor peek(section, length);
    if (peek.ReadUInt32() == kSetupMagic) {
        const char *version = peek.ReadString8();
        if (!DottedVersionsEqual(version, kSetupFormatVersion))
            throw PackError(std::string("the installer's setup data has format version ") + version +
                            "; this packer reads " + kSetupFormatVersion);
    }

    SetupContainer container;
    const String record = OpenSetupContainer(section, length, kInstallerTitle, container);
    if (!SetupScriptChecksumMatches(record, container.header.scriptChecksum))
        ReportCorruption(kCorruptScriptChecksum);
    dump.header = container.header;
    dump.imageChecksum = ImageChecksum(file.Bytes(), location.rawDataPosition, location);

    // The record as the program reads it from a plain command line: not silent, no overrides, no
    // platform to ask.
    SettingsStream stream(record);
    SettingsInputs inputs;
    inputs.headerFlags2 = container.header.productFlags2;
    ReadSettings(stream, inputs, dump.settings);

    FileData data;
    const FileDataHooks hooks;
    if (dump.settings.ReadFileDataFromFile) {
        const size_t start = size_t(location.rawDataPosition) + size_t(container.dataOffset);
        CheckFileDataSize(int64_t(file.Size()) - int64_t(start), container.header);
        OpenFileData(data, container, dump.settings.ProductFlags, file.Bytes() + start, hooks);
    } else {
        OpenFileDataInSection(data, container, dump.settings.ProductFlags, hooks);
    }
    for (int32_t i = 0; i < container.header.fileCount; ++i) {
        DumpedFile file;
        SetupCursor cursor = NextFileRecord(data);
        ReadFileRecordHeader(cursor, file.record);
        file.size = container.header.fileSizes[size_t(i)];
        const uint8_t *content = ReadFileContent(cursor, file.size);
        file.contentChecksum = SetupChecksum(content, file.size);
        dump.files.push_back(std::move(file));
    }
    CloseFileData(data);
}

// ---------------------------------------------------------------------------------------------
// Printing

std::string Utf8(const String &wide)
{
    String utf8;
    CodePageFromWide(wide, kCodePageUtf8, nullptr, utf8);
    return std::string(utf8.Bytes(), size_t(utf8.Length()));
}

// 8-bit texts are Windows-1252, or UTF-8 after a "|" when they are path text.
std::string Narrow(const String &text) { return Utf8(PathTextToWide(text, kCodePageWindows1252)); }

std::string Quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '"')
            out += "\\\"";
        else
            out += c;
    }
    return out + "\"";
}

std::string Bytes(const String &blob)
{
    return blob.Empty() ? "none" : std::to_string(blob.Length()) + " bytes";
}

std::string Date(const DateTime &d)
{
    if (d.month == 0)
        return "none";
    char text[48];
    if (d.hour < 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day,
                      d.hour, d.minute, d.second);
    return text;
}

class Printer {
public:
    explicit Printer(FILE *out) : out_(out) {}

    void Section(const char *title) { std::fprintf(out_, "\n[%s]\n", title); }
    void Line(const char *name, const std::string &value)
    {
        std::fprintf(out_, "  %-28s %s\n", name, value.c_str());
    }
    void Wide(const char *name, const String &value) { Line(name, Quoted(Utf8(value))); }
    void Text(const char *name, const String &value) { Line(name, Quoted(Narrow(value))); }
    void Number(const char *name, int64_t value) { Line(name, std::to_string(value)); }
    void Hex(const char *name, uint64_t value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "0x%" PRIX64, value);
        Line(name, text);
    }

private:
    FILE *out_;
};

void PrintSettings(Printer &p, const Settings &s)
{
    p.Section("settings");
    p.Hex("ProductFlags", s.ProductFlags);
    p.Hex("ProductFlags2", s.ProductFlags2);
    p.Number("AutomaticModeOverride", s.AutomaticModeOverride);
    p.Wide("TaskbarText", s.TaskbarText);
    p.Wide("DisplayTitle", s.DisplayTitle);
    p.Line("TitleSize", std::to_string(s.TitleSize));
    p.Number("ProgressWindowPosition", s.ProgressWindowPosition);
    p.Number("StatusDisplayTime", s.StatusDisplayTime);
    p.Number("ShortcutMode", s.ShortcutMode);
    p.Line("UninstallerDate", Date(s.UninstallerDate));
    p.Text("Publisher", s.Publisher);
    p.Wide("DisplayName", s.DisplayName);
    p.Wide("ProductDescription", s.ProductDescription);
    p.Number("Bitness", s.Bitness);
    p.Number("SharedFolderBase", s.SharedFolderBase);
    p.Wide("SharedPath", s.SharedPath);
    p.Wide("SharedSubfolder", s.SharedSubfolder);
    p.Wide("ProductStartMenu", s.ProductStartMenu);
    p.Text("DisplayVersion", s.DisplayVersion);
    p.Wide("InstallFolderSetting", s.InstallFolderSetting);
    p.Wide("ProductRegistry", s.ProductRegistry);
    p.Wide("MsiBlock", s.MsiBlock);
    p.Text("RegistryText", s.RegistryText);
    p.Number("BitmapSize", s.BitmapSize);
    p.Number("StretchMode", s.StretchMode);
    p.Text("GreetingLink", s.GreetingLink);
    for (const String &d : s.LicenceDocuments)
        p.Line("LicenceDocument", Bytes(d));
    for (const String &d : s.ReadmeDocuments)
        p.Line("ReadmeDocument", Bytes(d));
    p.Wide("UninstallSubdir", s.UninstallSubdir);
    p.Text("UninstallerFileName", s.UninstallerFileName);
    p.Wide("UninstallName", s.UninstallName);
    p.Text("EarlierFolderValue", s.EarlierFolderValue);
    p.Wide("BannerHeadline", s.BannerHeadline);
    p.Number("PictureFrameStyle", s.PictureFrameStyle);
    p.Hex("TitleColor", s.TitleColor);
    p.Number("TitleShadow", s.TitleShadow);
    p.Number("TitlePosition", s.TitlePosition);
    p.Text("TitleFont", s.TitleFont);
    p.Hex("TopColor", s.TopColor);
    p.Hex("BottomColor", s.BottomColor);
    p.Line("BackgroundBitmap", Bytes(s.BackgroundBitmap));
    p.Number("BitmapTPI", s.BitmapTPI);
    p.Number("CopyrightPos", s.CopyrightPos);
    if (s.CopyrightPos) {
        p.Hex("CopyrightColor", s.CopyrightColor);
        p.Line("CopyrightSize", std::to_string(s.CopyrightSize));
        p.Wide("CopyrightText", s.CopyrightText);
        p.Text("CopyrightFont", s.CopyrightFont);
    }
    p.Text("RequiredProductName", s.RequiredProductName);
    p.Text("RequiredProductDisplayName", s.RequiredProductDisplayName);
    p.Text("RequiredProductMinVersion", s.RequiredProductMinVersion);
    p.Line("StartSound", Bytes(s.StartSound));
    p.Wide("DesktopFolder", s.DesktopFolder);
    p.Line("FileStepBlock", Bytes(s.FileStepBlock));
    p.Text("PreInstallBatch", s.PreInstallBatch);
    p.Text("PostInstallBatch", s.PostInstallBatch);
    p.Text("ExitBatch", s.ExitBatch);
    p.Text("UninstallBatch1", s.UninstallBatch1);
    p.Text("UninstallBatch2", s.UninstallBatch2);
    p.Text("UpgradeBatch", s.UpgradeBatch);
    p.Text("ReinstallBatch", s.ReinstallBatch);
    std::string reserved;
    for (uint8_t b : s.Reserved) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        reserved += hex;
    }
    p.Line("Reserved", reserved);
    p.Hex("UnsupportedSystems", s.UnsupportedSystems);
    p.Number("ReadFileDataFromFile", s.ReadFileDataFromFile);
    for (const String &t : s.EndTexts)
        p.Text("EndText", t);
    p.Text("LaunchOnExit", s.LaunchOnExit);
    p.Text("InstallNotifyURL", s.InstallNotifyURL);
    p.Text("WizardNotifyURL", s.WizardNotifyURL);
    p.Text("NotifyURL", s.NotifyURL);
    p.Wide("GreetingText", s.GreetingText);
    p.Text("WarningVersion", s.WarningVersion);
    p.Text("NoDowngradeBelow", s.NoDowngradeBelow);
    p.Line("InstallPassword", s.InstallPassword.Empty() ? "none" : "set");
    p.Text("MinUpgradableVersion", s.MinUpgradableVersion);
    p.Text("AssociationText", s.AssociationText);
    p.Wide("AddToPathSubfolder", s.AddToPathSubfolder);
    p.Number("ExtraSpace", s.ExtraSpace);
    std::string variants;
    for (int32_t v : s.DialogVariants)
        variants += (variants.empty() ? "" : " ") + std::to_string(v);
    p.Line("DialogVariants", variants);
    p.Text("UninstallRecordStream", s.UninstallRecordStream);
    p.Wide("FileStepText1", s.FileStepTexts[0]);
    p.Text("FileStepText2", s.FileStepTexts[1]);
    p.Wide("ShortcutStepText1", s.ShortcutStepTexts[0]);
    p.Wide("ShortcutStepText2", s.ShortcutStepTexts[1]);
    p.Text("SupportOffer", s.SupportOffer);
    p.Line("ProductIcon", Bytes(s.ProductIcon));

    for (const FileDeletion &d : s.ConditionalDeletions)
        p.Line("ConditionalDeletion", Quoted(Narrow(d.path)) + " condition " + std::to_string(d.condition) +
                                          " " + Quoted(Narrow(d.value)) + " flags " + std::to_string(d.flags));
    for (const FileAssociation &a : s.Associations)
        p.Line("Association", Quoted(Narrow(a.extension)) + " mode " + std::to_string(a.mode) + " class " +
                                  Quoted(Narrow(a.className)) + " verb " + Quoted(Narrow(a.verb)) +
                                  " command " + Quoted(Narrow(a.command)));
    for (const ShortcutRecord &r : s.Shortcuts)
        p.Line("Shortcut", Quoted(Utf8(r.name)) + " -> " + Quoted(Narrow(r.target)) + " args " +
                               Quoted(Utf8(r.arguments)) + (r.desktop ? " desktop" : "") +
                               (r.startMenu ? " start-menu" : "") + (r.startup ? " startup" : "") +
                               (r.folder.Empty() ? "" : " folder " + Quoted(Narrow(r.folder))));
    for (const UninstallData &d : s.SavedValues)
        p.Line("SavedValue", Quoted(Narrow(d.name)) + " kind " + std::to_string(d.kind) + " " +
                                 Quoted(Narrow(d.text)));
    for (const AutoCloseEntry &e : s.ProgramsToClose)
        p.Line("ProgramToClose", Quoted(Narrow(e.windowClass)) + " " + Quoted(Narrow(e.windowTitle)) +
                                     " " + Quoted(Narrow(e.programName)) + " mode " +
                                     std::to_string(e.mode) + " phase " + std::to_string(e.phase));

    const LanguageTable &t = s.Languages;
    std::string names;
    for (const String &n : t.names)
        names += (names.empty() ? "" : ", ") + Utf8(n);
    p.Section("languages");
    p.Line("Languages", names);
    p.Number("Rows", int64_t(t.rows.size()));
    for (size_t row = 0; row < t.rows.size(); ++row)
        for (size_t l = 0; l < t.rows[row].size(); ++l)
            if (!t.rows[row][l].Empty())
                p.Line(("row " + std::to_string(row) + " [" + Utf8(t.names[l]) + "]").c_str(),
                       Quoted(Utf8(t.rows[row][l])));
}

} // namespace

InstallerDump DumpInstaller(const std::string &path)
{
    InstallerDump dump;
    const MappedFile file(path);
    dump.fileSize = file.Size();
    const ReaderFailuresThrow failuresThrow;
    try {
        ReadInstaller(file, dump);
    } catch (const CorruptionFound &c) {
        throw PackError(path + ": the setup data is corrupt (code " + std::to_string(c.code) +
                        "; the codes are listed in README.md)");
    } catch (const PackError &e) {
        throw PackError(path + ": " + e.what());
    }
    return dump;
}

void PrintInstallerDump(const InstallerDump &dump, FILE *out)
{
    Printer p(out);
    const SetupHeader &h = dump.header;
    p.Section("section");
    p.Number("FileSize", int64_t(dump.fileSize));
    p.Hex("RawDataPosition", dump.sectionRawPosition);
    p.Number("RawSize", dump.sectionRawSize);
    p.Hex("VirtualAddress", dump.sectionVirtualAddress);
    p.Number("VirtualSize", dump.sectionVirtualSize);

    p.Section("header");
    p.Line("Version", std::string(h.version.Bytes(), size_t(h.version.Length())));
    p.Hex("ProductFlags2", h.productFlags2);
    p.Number("ScriptSize", h.scriptSize);
    p.Hex("ScriptChecksum", h.scriptChecksum);
    p.Line("ImageChecksum", [&] {
        char text[64];
        std::snprintf(text, sizeof text, "0x%08X (%s)", h.imageChecksum,
                      h.imageChecksum == dump.imageChecksum ? "matches the program" : "differs");
        return std::string(text);
    }());
    p.Number("DataEnd", h.dataEnd);
    p.Number("FileCount", h.fileCount);
    p.Number("DataSize", h.dataSize);
    p.Hex("DataChecksum", h.dataChecksum);
    p.Line("Protected", h.Protected() ? "yes (Blowfish)" : "no (scrambled script)");

    PrintSettings(p, dump.settings);

    p.Section("files");
    for (const DumpedFile &f : dump.files) {
        const FileRecord &r = f.record;
        std::fprintf(out, "  %s\n", Quoted(Narrow(r.name)).c_str());
        char line[160];
        std::snprintf(line, sizeof line, "type %d, flags 0x%02X, attributes %d, %d bytes, checksum 0x%08X",
                      r.type, r.flags, r.attributes, f.size, f.contentChecksum);
        std::fprintf(out, "      %s, date %s\n", line, Date(r.time).c_str());
        const auto optional = [&](const char *name, const std::string &value) {
            if (value != "\"\"")
                std::fprintf(out, "      %s %s\n", name, value.c_str());
        };
        optional("version/name", Quoted(std::string(r.version.Bytes(), size_t(r.version.Length()))));
        optional("shortcut icon", Quoted(Narrow(r.shortcutIcon)));
        optional("arguments", Quoted(Narrow(r.arguments)));
        optional("destination", Quoted(Utf8(r.destination)));
        optional("working folder", Quoted(Narrow(r.workingFolder)));
        if (r.type == kFileTypeMsiPackage)
            std::fprintf(out, "      MSI UI level %d\n", r.msiUiLevel);
    }
}
