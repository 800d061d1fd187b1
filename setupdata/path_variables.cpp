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

// The shell's folder, else the value under "Shell Folders"; empty when both are.
String ShellFolderOrRegistry(PathValueSource &source, int csidl, bool allUsers, const char16_t *name)
{
    String folder = source.ShellFolder(csidl);
    if (folder.Empty())
        folder = RegistryFolder(source.ShellFoldersValue(allUsers, name));
    return folder;
}

// Program Files and Common Files views after normalisation: the program is a 32-bit process, so
// its native folders are the 32-bit ones and only the 64-bit view of a 64-bit Windows differs.
bool WantsFolder64(PathValueSource &source, int view)
{
    return (view == kFilesView64 || view == kFilesView64WhereAny) && source.Is64BitWindows();
}

String WindowsFolderJoined(PathValueSource &source, const char16_t *name)
{
    return JoinPath(source.WindowsFolder(), String(name));
}

// The folder part of the program's own path; a drive root keeps its backslash ("D:\").
String InstallerFolder(PathValueSource &source)
{
    String folder = source.ModuleFileName();
    int32_t slash = folder.WideLength() - 1;
    while (slash >= 0 && folder.Wide()[slash] != u'\\')
        --slash;
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

// The shell-folder chains. Each falls back along its row of the table.
String StartMenuDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlStartMenu, false, u"Start Menu");
    return folder.Empty() ? WindowsFolderJoined(source, u"Start Menu") : folder;
}

String SMProgramsDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlPrograms, false, u"Programs");
    return folder.Empty() ? JoinPath(StartMenuDir(source), String(u"Programs")) : folder;
}

String CommonStartupValue(PathValueSource &source)
{
    return RegistryFolder(source.ShellFoldersValue(true, u"Common Startup"));
}

String SMProgramsAllDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlCommonPrograms, true, u"Common Programs");
    if (folder.Empty())
        folder = ParentFolder(CommonStartupValue(source));
    return folder.Empty() ? SMProgramsDir(source) : folder;
}

String StartMenuAllDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlCommonStartMenu, true, u"Common Start Menu");
    if (folder.Empty())
        folder = ParentFolder(ParentFolder(CommonStartupValue(source)));
    return folder.Empty() ? StartMenuDir(source) : folder;
}

String StartupDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlStartup, false, u"Startup");
    return folder.Empty() ? JoinPath(SMProgramsDir(source), String(u"StartUp")) : folder;
}

String StartupAllDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlCommonStartup, true, u"Common Startup");
    return folder.Empty() ? StartupDir(source) : folder;
}

String DesktopDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlDesktopDirectory, false, u"Desktop");
    return folder.Empty() ? WindowsFolderJoined(source, u"Desktop") : folder;
}

String DesktopAllDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlCommonDesktopDirectory, true, u"Common Desktop");
    return folder.Empty() ? DesktopDir(source) : folder;
}

String DocumentDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlPersonal, false, u"Personal");
    return folder.Empty() ? String(u"c:\\My Documents") : folder;
}

String DocumentAllDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlCommonDocuments, true, u"Common Documents");
    return folder.Empty() ? DocumentDir(source) : folder;
}

String FavoritesDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlFavorites, false, u"Favorites");
    return folder.Empty() ? WindowsFolderJoined(source, u"Favorites") : folder;
}

String FavoritesAllDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlCommonFavorites, true, u"Common Favorites");
    return folder.Empty() ? FavoritesDir(source) : folder;
}

String FontDir(PathValueSource &source)
{
    String folder = ShellFolderOrRegistry(source, kCsidlFonts, false, u"Fonts");
    return folder.Empty() ? WindowsFolderJoined(source, u"Fonts") : folder;
}

String AppDataFolder(PathValueSource &source, int csidl, bool allUsers, const char16_t *name)
{
    String folder = ShellFolderOrRegistry(source, csidl, allUsers, name);
    return folder.Empty() ? CommonFilesFolder(source, kFilesViewNative) : folder;
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
    int32_t slash = path.WideLength() - 1;
    while (slash >= 0 && path.Wide()[slash] != u'\\')
        --slash;
    if (slash < 0)
        return String();
    String parent(path.Wide(), slash);   // the element and its backslash go
    return parent;
}

String ProgramFilesFolder(PathValueSource &source, int view)
{
    String folder;
    if (WantsFolder64(source, view)) {
        folder = source.KnownFolderPath(KnownFolder::ProgramFilesX64);
        if (folder.Empty())
            folder = source.EnvironmentVariable(u"ProgramW6432");
        if (folder.Empty()) {
            folder = ProgramFilesFolder(source, kFilesViewNative);
            RemoveFirst(folder, u" (x86)");
        }
        return folder;
    }
    folder = source.ShellFolder(kCsidlProgramFiles);
    if (folder.Empty())
        folder = source.KnownFolderPath(KnownFolder::ProgramFiles);
    if (folder.Empty())
        folder = RegistryFolder(source.CurrentVersionValue(u"ProgramFilesDir"));
    if (folder.Empty())
        folder = String(u"c:\\Program Files");
    return folder;
}

String CommonFilesFolder(PathValueSource &source, int view)
{
    String folder;
    if (WantsFolder64(source, view)) {
        folder = source.KnownFolderPath(KnownFolder::CommonFilesX64);
        if (folder.Empty())
            folder = source.EnvironmentVariable(u"CommonProgramW6432");
        if (folder.Empty()) {
            folder = CommonFilesFolder(source, kFilesViewNative);
            RemoveFirst(folder, u" (x86)");
        }
        return folder;
    }
    folder = source.ShellFolder(kCsidlProgramFilesCommon);
    if (folder.Empty())
        folder = source.KnownFolderPath(KnownFolder::CommonFiles);
    if (folder.Empty())
        folder = RegistryFolder(source.CurrentVersionValue(u"CommonFilesDir"));
    if (folder.Empty())
        folder = JoinPath(ProgramFilesFolder(source, kFilesViewNative), String(u"Common Files"));
    return folder;
}

String DesktopShortcutsFolder(PathValueSource &source, int shortcutMode, const String &desktopFolderName)
{
    return JoinPath(shortcutMode == 1 ? DesktopAllDir(source) : DesktopDir(source), desktopFolderName);
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
        return AppDataFolder(source, kCsidlCommonAppData, true, u"Common AppData");
    case PathVariable::AppDataDir:
        return AppDataFolder(source, kCsidlAppData, false, u"AppData");
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
    case PathVariable::DesktopAllDir:
        return DesktopAllDir(source);
    case PathVariable::DesktopDir:
        return DesktopDir(source);
    case PathVariable::DesktopShortcuts:
        return state.desktopShortcuts;
    case PathVariable::DeviceDir:
        return DeviceFolder(source);
    case PathVariable::DocumentAllDir:
        return DocumentAllDir(source);
    case PathVariable::DocumentDir:
        return DocumentDir(source);
    case PathVariable::FavoritesAllDir:
        return FavoritesAllDir(source);
    case PathVariable::FavoritesDir:
        return FavoritesDir(source);
    case PathVariable::FontDir:
        return FontDir(source);
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
        int32_t start = path.WideLength();
        while (start > 0 && path.Wide()[start - 1] != u'\\')
            --start;
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
    case PathVariable::SMProgramsAllDir:
        return SMProgramsAllDir(source);
    case PathVariable::SMProgramsDir:
        return SMProgramsDir(source);
    case PathVariable::StartMenuAllDir:
        return StartMenuAllDir(source);
    case PathVariable::StartMenuChosen:
        return JoinPath(state.shortcutMode == 1 ? SMProgramsAllDir(source) : SMProgramsDir(source),
                        state.startMenuFolderName);
    case PathVariable::StartMenuDir:
        return StartMenuDir(source);
    case PathVariable::StartupAllDir:
        return StartupAllDir(source);
    case PathVariable::StartupDir:
        return StartupDir(source);
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
