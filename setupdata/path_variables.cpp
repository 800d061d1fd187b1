#include "setupdata/path_variables.h"

#include <utility>

namespace {

using KnownFolder = PathValueSource::KnownFolder;

// CSIDL numbers of the Windows shell.
enum Csidl {
    kCsidlPrograms = 2,
    kCsidlPersonal = 5,
    kCsidlFavorites = 6,
    kCsidlStartup = 7,
    kCsidlStartMenu = 11,
    kCsidlDesktopDirectory = 16,
    kCsidlFonts = 20,
    kCsidlCommonStartMenu = 22,
    kCsidlCommonPrograms = 23,
    kCsidlCommonStartup = 24,
    kCsidlCommonDesktopDirectory = 25,
    kCsidlAppData = 26,
    kCsidlCommonFavorites = 31,
    kCsidlCommonAppData = 35,
    kCsidlProgramFiles = 38,
    kCsidlProgramFilesCommon = 43,
    kCsidlCommonDocuments = 46,
};

struct Row {
    const char16_t *name;
    bool exactCase;
};

// Indexed by PathVariable; the table is alphabetical, and that is the order of replacement.
const Row kRows[] = {
    {u"%AppDataAllDir%", false},     {u"%AppDataDir%", false},       {u"%Bits%", false},
    {u"%BootDrive%", false},         {u"%CommonDir%", false},        {u"%CommonDir32%", false},
    {u"%CommonDir64%", false},       {u"%DesktopAllDir%", false},    {u"%DesktopDir%", false},
    {u"%DesktopShortcuts%", false},  {u"%DeviceDir%", false},        {u"%DocumentAllDir%", false},
    {u"%DocumentDir%", false},       {u"%FavoritesAllDir%", false},  {u"%FavoritesDir%", false},
    {u"%FontDir%", false},           {u"%Inetpub%", false},          {u"%InstallDir%", false},
    {u"%InstallDrive%", false},      {u"%InstallerDir%", false},     {u"%InstallerDrive%", false},
    {u"%InstallerFilename%", false}, {u"%InstallerFilepath%", false}, {u"%MediaDir%", false},
    {u"%OldVersion%", false},        {u"%OldVersionMajor%", true},   {u"%OldVersionMinor%", true},
    {u"%ProductName%", false},       {u"%ProgramsDir%", false},      {u"%ProgramsDir32%", false},
    {u"%ProgramsDir64%", false},     {u"%SharedDir%", false},        {u"%SMProgramsAllDir%", false},
    {u"%SMProgramsDir%", false},     {u"%StartMenuAllDir%", false},  {u"%StartMenuChosen%", false},
    {u"%StartMenuDir%", false},      {u"%StartupAllDir%", false},    {u"%StartupDir%", false},
    {u"%SystemDir%", false},         {u"%Temp%", false},             {u"%UninstallDir%", false},
    {u"%Version%", false},           {u"%WinDir%", false},
};
static_assert(sizeof kRows / sizeof kRows[0] == static_cast<size_t>(PathVariable::Count),
              "one row per path variable");

PathValueSource *g_source = nullptr;

int32_t Units(const char16_t *text)
{
    int32_t n = 0;
    while (text[n])
        ++n;
    return n;
}

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

// The names are ASCII, so folding ASCII letters is the whole of the case-insensitive comparison;
// other characters match only themselves.
bool SameUnit(char16_t a, char16_t b, bool exactCase) { return a == b || (!exactCase && Upper(a) == Upper(b)); }

int32_t Find(const String &text, int32_t from, const char16_t *name, int32_t nameUnits, bool exactCase)
{
    const char16_t *t = text.Wide();
    const int32_t last = text.WideLength() - nameUnits;
    for (int32_t i = from; i <= last; ++i) {
        int32_t k = 0;
        while (k < nameUnits && SameUnit(t[i + k], name[k], exactCase))
            ++k;
        if (k == nameUnits)
            return i;
    }
    return -1;
}

bool EndsWith(const String &text, char16_t c)
{
    return !text.Empty() && text.Wide()[text.WideLength() - 1] == c;
}

// Index (in units) of the last backslash; -1 when there is none.
int32_t LastBackslash(const String &path)
{
    int32_t at = path.WideLength() - 1;
    while (at >= 0 && path.Wide()[at] != u'\\')
        --at;
    return at;
}

void DropTrailingBackslash(String &path)
{
    if (EndsWith(path, u'\\'))
        path.Resize(path.Length() - 2);
}

// Registry values lose one trailing backslash unless they are as short as a drive root ("C:\").
String RegistryFolder(String value)
{
    if (value.WideLength() > 3)
        DropTrailingBackslash(value);
    return value;
}

// Replaces every occurrence of `name` found in `text` as it stands, left to right and without
// overlaps; the value is looked up only when the name occurs and is not searched again.
template <typename MakeValue>
void ReplaceName(String &text, const char16_t *name, bool exactCase, MakeValue makeValue)
{
    const int32_t nameUnits = Units(name);
    int32_t at = Find(text, 0, name, nameUnits, exactCase);
    if (at < 0)
        return;
    const String value = makeValue();
    String result;
    result.Reserve(text.Length() + value.Length());
    int32_t copied = 0;
    while (at >= 0) {
        result.AppendWide(text.Wide() + copied, at - copied);
        result.Append(value);
        copied = at + nameUnits;
        at = Find(text, copied, name, nameUnits, exactCase);
    }
    result.AppendWide(text.Wide() + copied, text.WideLength() - copied);
    text = std::move(result);
}

void RemoveFirst(String &text, const char16_t *part)
{
    const int32_t units = Units(part);
    const int32_t at = Find(text, 0, part, units, true);
    if (at >= 0)
        text.Remove(at * 2, units * 2);
}

// Program Files and Common Files views after normalisation: the program is a 32-bit process, so
// its native folders are the 32-bit ones and only the 64-bit view of a 64-bit Windows differs.
bool WantsFolder64(PathValueSource &source, int view)
{
    return (view == kFilesView64 || view == kFilesView64WhereAny) && source.Is64BitWindows();
}

// The Program Files and the Common Files folder are found the same way from different sources.
struct FilesFolderKind {
    KnownFolder known64;                    // 64-bit view: known folder,
    const char16_t *environment64;          // else this environment variable,
                                            // else the native folder without " (x86)"
    int csidl;                              // native view: shell folder,
    KnownFolder known;                      // else known folder,
    const char16_t *registryName;           // else CurrentVersion value,
    const FilesFolderKind *lastResortBase;  // else this kind's native folder (none: empty)
    const char16_t *lastResort;             // joined with this text
};

const FilesFolderKind kProgramFiles = {KnownFolder::ProgramFilesX64, u"ProgramW6432", kCsidlProgramFiles,
                                       KnownFolder::ProgramFiles, u"ProgramFilesDir", nullptr,
                                       u"c:\\Program Files"};
const FilesFolderKind kCommonFiles = {KnownFolder::CommonFilesX64, u"CommonProgramW6432", kCsidlProgramFilesCommon,
                                      KnownFolder::CommonFiles, u"CommonFilesDir", &kProgramFiles,
                                      u"Common Files"};

String FilesFolder(PathValueSource &source, const FilesFolderKind &kind, int view)
{
    String folder;
    if (WantsFolder64(source, view)) {
        folder = source.KnownFolderPath(kind.known64);
        if (folder.Empty())
            folder = source.EnvironmentVariable(kind.environment64);
        if (folder.Empty()) {
            folder = FilesFolder(source, kind, kFilesViewNative);
            RemoveFirst(folder, u" (x86)");
        }
        return folder;
    }
    folder = source.ShellFolder(kind.csidl);
    if (folder.Empty())
        folder = source.KnownFolderPath(kind.known);
    if (folder.Empty())
        folder = RegistryFolder(source.CurrentVersionValue(kind.registryName));
    if (folder.Empty()) {
        const String base = kind.lastResortBase ? FilesFolder(source, *kind.lastResortBase, kFilesViewNative) : String();
        folder = JoinPath(base, String(kind.lastResort));
    }
    return folder;
}

String WindowsFolderJoined(PathValueSource &source, const char16_t *name)
{
    return JoinPath(source.WindowsFolder(), String(name));
}

// The folder part of the program's own path; a drive root keeps its backslash ("D:\").
String InstallerFolder(PathValueSource &source)
{
    String folder = source.ModuleFileName();
    const int32_t slash = LastBackslash(folder);
    if (slash < 0)
        return String();
    const bool driveRoot = slash == 2 && folder.Wide()[1] == u':';
    folder.Resize((driveRoot ? slash + 1 : slash) * 2);
    return folder;
}

bool BeginsWithDrive(const String &path)
{
    return path.WideLength() >= 2 && IsLetter(path.Wide()[0]) && path.Wide()[1] == u':';
}

// Piece `index` (0 or 1) of a dotted version; empty when there is none.
String VersionPiece(const String &version, int index)
{
    const char16_t *v = version.Wide();
    const int32_t n = version.WideLength();
    int32_t start = 0;
    for (int piece = 0; piece < index; ++piece) {
        while (start < n && v[start] != u'.')
            ++start;
        if (start == n)
            return String();
        ++start;
    }
    int32_t end = start;
    while (end < n && v[end] != u'.')
        ++end;
    return String(v + start, end - start);
}

String BootDrive(PathValueSource &source)
{
    const String dir = source.BootDir();
    char16_t drive[] = {u'C', u':', 0};
    if (dir.WideLength() >= 2 && dir.Wide()[1] == u':' && IsLetter(dir.Wide()[0]))
        drive[0] = Upper(dir.Wide()[0]);
    return String(drive);
}

String DeviceFolder(PathValueSource &source)
{
    String folder = RegistryFolder(source.DevicePath());
    // The value may list several folders; the first is the device folder.
    const int32_t semicolon = Find(folder, 0, u";", 1, true);
    if (semicolon >= 0)
        folder.Resize(semicolon * 2);
    static const char16_t kSystemRoot[] = u"%SystemRoot%";
    const int32_t units = Units(kSystemRoot);
    const int32_t at = Find(folder, 0, kSystemRoot, units, false);
    if (at >= 0) {
        const String root = source.EnvironmentVariable(u"SystemRoot");
        if (!root.Empty())
            folder.ReplaceRange(at * 2, units * 2, root.Bytes(), root.Length());
    }
    // A value that begins with ";" leaves nothing; that is no folder either.
    return folder.Empty() ? WindowsFolderJoined(source, u"INF") : folder;
}

String WebRootParent(PathValueSource &source)
{
    String root = source.WebRootPath();
    if (!root.Empty())
        source.ExpandEnvironment(root);
    if (root.Empty())
        root = String(u"c:\\Inetpub\\wwwroot");
    DropTrailingBackslash(root);
    root = ParentFolder(root);
    DropTrailingBackslash(root);
    return root;
}

String SystemFolder(PathValueSource &source)
{
    String folder = source.SystemFolder();
    if (folder.Empty())
        folder = WindowsFolderJoined(source, source.IsWindowsNT() ? u"System32" : u"System");
    return folder;
}

String TempFolder(PathValueSource &source)
{
    String folder = source.TempFolder();
    if (folder.Empty())
        folder = String(u"c:\\temp");
    DropTrailingBackslash(folder);
    return folder;
}

// The shell folders: the shell's folder, else the value under "Shell Folders", for the all-users
// Start-menu folders else the parent or grandparent of "Common Startup", else the fallback: the
// base joined with the text.
enum class FallbackBase { None, WindowsFolder, CommonFilesNative, Folder };

struct ShellFolderChain {
    PathVariable variable;
    int csidl;
    bool allUsers;
    const char16_t *registryName;
    int levelsAboveCommonStartup;   // 0: "Common Startup" is not consulted
    FallbackBase base;
    PathVariable baseFolder;        // for FallbackBase::Folder: another row of this table
    const char16_t *text;
};

const ShellFolderChain kShellFolderChains[] = {
    {PathVariable::AppDataAllDir, kCsidlCommonAppData, true, u"Common AppData", 0, FallbackBase::CommonFilesNative,
     PathVariable::Count, u""},
    {PathVariable::AppDataDir, kCsidlAppData, false, u"AppData", 0, FallbackBase::CommonFilesNative,
     PathVariable::Count, u""},
    {PathVariable::DesktopAllDir, kCsidlCommonDesktopDirectory, true, u"Common Desktop", 0, FallbackBase::Folder,
     PathVariable::DesktopDir, u""},
    {PathVariable::DesktopDir, kCsidlDesktopDirectory, false, u"Desktop", 0, FallbackBase::WindowsFolder,
     PathVariable::Count, u"Desktop"},
    {PathVariable::DocumentAllDir, kCsidlCommonDocuments, true, u"Common Documents", 0, FallbackBase::Folder,
     PathVariable::DocumentDir, u""},
    {PathVariable::DocumentDir, kCsidlPersonal, false, u"Personal", 0, FallbackBase::None, PathVariable::Count,
     u"c:\\My Documents"},
    {PathVariable::FavoritesAllDir, kCsidlCommonFavorites, true, u"Common Favorites", 0, FallbackBase::Folder,
     PathVariable::FavoritesDir, u""},
    {PathVariable::FavoritesDir, kCsidlFavorites, false, u"Favorites", 0, FallbackBase::WindowsFolder,
     PathVariable::Count, u"Favorites"},
    {PathVariable::FontDir, kCsidlFonts, false, u"Fonts", 0, FallbackBase::WindowsFolder, PathVariable::Count,
     u"Fonts"},
    {PathVariable::SMProgramsAllDir, kCsidlCommonPrograms, true, u"Common Programs", 1, FallbackBase::Folder,
     PathVariable::SMProgramsDir, u""},
    {PathVariable::SMProgramsDir, kCsidlPrograms, false, u"Programs", 0, FallbackBase::Folder,
     PathVariable::StartMenuDir, u"Programs"},
    {PathVariable::StartMenuAllDir, kCsidlCommonStartMenu, true, u"Common Start Menu", 2, FallbackBase::Folder,
     PathVariable::StartMenuDir, u""},
    {PathVariable::StartMenuDir, kCsidlStartMenu, false, u"Start Menu", 0, FallbackBase::WindowsFolder,
     PathVariable::Count, u"Start Menu"},
    {PathVariable::StartupAllDir, kCsidlCommonStartup, true, u"Common Startup", 0, FallbackBase::Folder,
     PathVariable::StartupDir, u""},
    {PathVariable::StartupDir, kCsidlStartup, false, u"Startup", 0, FallbackBase::Folder,
     PathVariable::SMProgramsDir, u"StartUp"},
};

String ShellFolderValue(PathValueSource &source, PathVariable variable);

const ShellFolderChain *FindShellFolderChain(PathVariable variable)
{
    for (const ShellFolderChain &chain : kShellFolderChains)
        if (chain.variable == variable)
            return &chain;
    return nullptr;
}

String ShellFolderValue(PathValueSource &source, const ShellFolderChain &chain)
{
    String folder = source.ShellFolder(chain.csidl);
    if (folder.Empty())
        folder = RegistryFolder(source.ShellFoldersValue(chain.allUsers, chain.registryName));
    if (folder.Empty() && chain.levelsAboveCommonStartup > 0) {
        folder = RegistryFolder(source.ShellFoldersValue(true, u"Common Startup"));
        for (int level = 0; level < chain.levelsAboveCommonStartup; ++level)
            folder = ParentFolder(folder);
    }
    if (!folder.Empty())
        return folder;
    String base;
    switch (chain.base) {
    case FallbackBase::WindowsFolder:
        base = source.WindowsFolder();
        break;
    case FallbackBase::CommonFilesNative:
        base = FilesFolder(source, kCommonFiles, kFilesViewNative);
        break;
    case FallbackBase::Folder:
        base = ShellFolderValue(source, chain.baseFolder);
        break;
    case FallbackBase::None:
        break;
    }
    return JoinPath(base, String(chain.text));
}

String ShellFolderValue(PathValueSource &source, PathVariable variable)
{
    return ShellFolderValue(source, *FindShellFolderChain(variable));
}

} // namespace

String JoinPath(const String &a, const String &b)
{
    if (a.Empty())
        return b;
    if (b.Empty())
        return a;
    String joined(a);
    if (b.Wide()[0] == u'\\')
        DropTrailingBackslash(joined);
    else if (!EndsWith(joined, u'\\') && !EndsWith(joined, u':'))
        joined.AppendWideChar(u'\\');
    joined.Append(b);
    return joined;
}

String ParentFolder(const String &path)
{
    const int32_t slash = LastBackslash(path);
    // The element and its backslash go.
    return slash < 0 ? String() : String(path.Wide(), slash);
}

String ProgramFilesFolder(PathValueSource &source, int view) { return FilesFolder(source, kProgramFiles, view); }
String CommonFilesFolder(PathValueSource &source, int view) { return FilesFolder(source, kCommonFiles, view); }

String DesktopShortcutsFolder(PathValueSource &source, int shortcutMode, const String &desktopFolderName)
{
    const PathVariable desktop = shortcutMode == 1 ? PathVariable::DesktopAllDir : PathVariable::DesktopDir;
    return JoinPath(ShellFolderValue(source, desktop), desktopFolderName);
}

const char16_t *PathVariableName(PathVariable variable)
{
    return kRows[static_cast<int>(variable)].name;
}

String PathVariableValue(PathVariable variable, PathValueSource &source, const PathVariableState &state)
{
    const int filesView = state.bitness == 1 ? kFilesView64 : kFilesView32;
    switch (variable) {
    case PathVariable::AppDataAllDir:
    case PathVariable::AppDataDir:
    case PathVariable::DesktopAllDir:
    case PathVariable::DesktopDir:
    case PathVariable::DocumentAllDir:
    case PathVariable::DocumentDir:
    case PathVariable::FavoritesAllDir:
    case PathVariable::FavoritesDir:
    case PathVariable::FontDir:
    case PathVariable::SMProgramsAllDir:
    case PathVariable::SMProgramsDir:
    case PathVariable::StartMenuAllDir:
    case PathVariable::StartMenuDir:
    case PathVariable::StartupAllDir:
    case PathVariable::StartupDir:
        return ShellFolderValue(source, variable);
    case PathVariable::Bits:
        return String(source.Is64BitWindows() ? u"64" : u"32");
    case PathVariable::BootDrive:
        return BootDrive(source);
    case PathVariable::CommonDir:
        return CommonFilesFolder(source, filesView);
    case PathVariable::CommonDir32:
        return CommonFilesFolder(source, kFilesView32);
    case PathVariable::CommonDir64:
        return CommonFilesFolder(source, kFilesView64);
    case PathVariable::DesktopShortcuts:
        return state.desktopShortcuts;
    case PathVariable::DeviceDir:
        return DeviceFolder(source);
    case PathVariable::Inetpub:
        return WebRootParent(source);
    case PathVariable::InstallDir:
        return state.installFolder;
    case PathVariable::InstallDrive:
        return BeginsWithDrive(state.installFolder) ? String(state.installFolder.Wide(), 2) : String();
    case PathVariable::InstallerDir:
        return InstallerFolder(source);
    case PathVariable::InstallerDrive: {
        // Without a drive letter (a network path) the value is empty: nothing that could be taken
        // for a drive.
        const String folder = InstallerFolder(source);
        if (!BeginsWithDrive(folder))
            return String();
        const char16_t letter = Upper(folder.Wide()[0]);
        return String(&letter, 1);
    }
    case PathVariable::InstallerFilename: {
        const String path = source.ModuleFileName();
        const int32_t start = LastBackslash(path) + 1;
        return String(path.Wide() + start, path.WideLength() - start);
    }
    case PathVariable::InstallerFilepath:
        return source.ModuleFileName();
    case PathVariable::MediaDir: {
        String folder = RegistryFolder(source.MediaPath());
        return folder.Empty() ? WindowsFolderJoined(source, u"Media") : folder;
    }
    case PathVariable::OldVersion:
        return state.oldVersion;
    case PathVariable::OldVersionMajor:
        return VersionPiece(state.oldVersion, 0);
    case PathVariable::OldVersionMinor:
        return VersionPiece(state.oldVersion, 1);
    case PathVariable::ProductName:
        return state.productName;
    case PathVariable::ProgramsDir:
        return ProgramFilesFolder(source, filesView);
    case PathVariable::ProgramsDir32:
        return ProgramFilesFolder(source, kFilesView32);
    case PathVariable::ProgramsDir64:
        return ProgramFilesFolder(source, kFilesView64);
    case PathVariable::SharedDir:
        return state.sharedFolder;
    case PathVariable::StartMenuChosen:
        return JoinPath(ShellFolderValue(source, state.shortcutMode == 1 ? PathVariable::SMProgramsAllDir
                                                                         : PathVariable::SMProgramsDir),
                        state.startMenuFolderName);
    case PathVariable::SystemDir:
        return SystemFolder(source);
    case PathVariable::Temp:
        return TempFolder(source);
    case PathVariable::UninstallDir:
        return JoinPath(state.installFolder, state.uninstallSubfolder);
    case PathVariable::Version:
        return state.version;
    case PathVariable::WinDir:
        return source.WindowsFolder();
    case PathVariable::Count:
        break;
    }
    return String();
}

void ExpandPathVariables(String &text, PathValueSource &source, const PathVariableState &state)
{
    // Every name of the table, and every environment variable, begins with a percent sign.
    if (Find(text, 0, u"%", 1, true) < 0)
        return;
    for (int row = 0; row < static_cast<int>(PathVariable::Count); ++row) {
        const auto variable = static_cast<PathVariable>(row);
        ReplaceName(text, kRows[row].name, kRows[row].exactCase,
                    [&] { return PathVariableValue(variable, source, state); });
    }
    // A failed expansion leaves the text as the table made it.
    source.ExpandEnvironment(text);
}

void ExpandProductPlaceholders(String &text, PathValueSource &source, const PathVariableState &state)
{
    if (Find(text, 0, u"<", 1, true) < 0)
        return;
    ReplaceName(text, u"<product>", false, [&] { return state.productName; });
    ReplaceName(text, u"<description>", false, [&] {
        return state.productDescription.Empty() ? state.productName : state.productDescription;
    });
    ReplaceName(text, u"<os>", false, [&] { return source.WindowsFolder(); });
}

PathVariableState &InstallationPathState()
{
    static PathVariableState state;
    return state;
}

PathValueSource *SetPathValueSource(PathValueSource *source)
{
    PathValueSource *old = g_source;
    g_source = source;
    return old;
}

namespace {
PathValueSource &ActiveSource() { return g_source ? *g_source : DefaultPathValueSource(); }
} // namespace

void ExpandPathVariables(String &text) { ExpandPathVariables(text, ActiveSource(), InstallationPathState()); }

void ExpandProductPlaceholders(String &text)
{
    ExpandProductPlaceholders(text, ActiveSource(), InstallationPathState());
}

String PathVariableValue(PathVariable variable)
{
    return PathVariableValue(variable, ActiveSource(), InstallationPathState());
}

String ProgramFilesFolder(int view) { return ProgramFilesFolder(ActiveSource(), view); }
String CommonFilesFolder(int view) { return CommonFilesFolder(ActiveSource(), view); }

String DesktopShortcutsFolder(int shortcutMode, const String &desktopFolderName)
{
    return DesktopShortcutsFolder(ActiveSource(), shortcutMode, desktopFolderName);
}
