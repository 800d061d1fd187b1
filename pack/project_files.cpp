#include "pack/project_files.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sys/stat.h>

#include "pack/build_time.h"
#include "pack/glob.h"
#include "pack/pe_info.h"
#include "pack/pack_error.h"
#include "pack/project_options.h"
#include "core/path_text.h"
#include "setupdata/container.h"

namespace fs = std::filesystem;

namespace {

// A record field as an entry or a rule sets it, with the value that set it (for messages).
// `date = "modified"`: the file's own modification time (the default, which a rule may restore).
constexpr DateTime kModificationTime{INT32_MIN, 0, 0, 0, 0, 0};

template <typename T>
struct Field {
    std::optional<T> value;
    const TomlValue *at = nullptr;

    void Over(const Field &other)
    {
        if (other.value)
            *this = other;
    }
};

// The record fields a [[files]] entry or a [[files.rule]] can set.
struct RecordFields {
    Field<int32_t> type;
    // The true/false flags, in the order of kFileFlagBits (pack/project_options.h).
    std::vector<Field<bool>> flags = std::vector<Field<bool>>(kFileFlagBits.size());
    Field<int32_t> replace;
    Field<int32_t> attributes;
    Field<DateTime> date;
    Field<std::string> version, displayName, shortcutName;    // field 6, by type
    Field<std::string> shortcutIcon, arguments, destination;
    Field<std::string> workingFolder, classId;                 // field 10, by type
    Field<int32_t> msiUiLevel;

    void Over(const RecordFields &o)
    {
        type.Over(o.type);
        for (size_t i = 0; i < flags.size(); ++i)
            flags[i].Over(o.flags[i]);
        replace.Over(o.replace);
        attributes.Over(o.attributes);
        date.Over(o.date);
        version.Over(o.version);
        displayName.Over(o.displayName);
        shortcutName.Over(o.shortcutName);
        shortcutIcon.Over(o.shortcutIcon);
        arguments.Over(o.arguments);
        destination.Over(o.destination);
        workingFolder.Over(o.workingFolder);
        classId.Over(o.classId);
        msiUiLevel.Over(o.msiUiLevel);
    }
};

template <typename T>
void Set(Field<T> &field, const TomlValue *at, T value)
{
    field.value = std::move(value);
    field.at = at;
}

void ReadBool(ProjectTable &t, const char *key, Field<bool> &field)
{
    if (const TomlValue *v = t.Get(key)) {
        if (!v->is_boolean())
            FailAt(*v, std::string("\"") + key + "\" must be true or false");
        Set(field, v, v->as_boolean());
    }
}

void ReadText(ProjectTable &t, const char *key, Field<std::string> &field)
{
    if (const TomlValue *v = t.Text(key))
        Set(field, v, TextOf(*v));
}

int32_t AttributesOf(const TomlValue &v)
{
    if (v.is_integer()) {
        if (v.as_integer() < -1 || v.as_integer() > 0x7FFFFFFF)
            FailAt(v, "\"attributes\" must be -1 (leave as written) or a Windows attribute mask");
        return static_cast<int32_t>(v.as_integer());
    }
    if (!v.is_array())
        FailAt(v, "\"attributes\" must be a list of names (read-only, hidden, system, archive, "
                  "temporary, offline)");
    int32_t mask = 0;
    for (const TomlValue &e : v.as_array()) {
        bool found = false;
        for (const auto &a : kAttributeBits)
            if (e.is_string() && TextOf(e) == a.first)
                mask |= int32_t(a.second), found = true;
        if (!found)
            FailAt(e, "unknown attribute (known: read-only, hidden, system, archive, temporary, "
                      "offline)");
    }
    return mask;
}

RecordFields ReadRecordFields(ProjectTable &t)
{
    RecordFields f;
    if (const TomlValue *v = t.Get("type"))
        Set(f.type, v, static_cast<int32_t>(t.Choice("type", 0, kFileTypeChoices)));
    for (size_t i = 0; i < kFileFlagBits.size(); ++i)
        ReadBool(t, kFileFlagBits[i].first, f.flags[i]);
    if (const TomlValue *v = t.Get("replace"))
        Set(f.replace, v, static_cast<int32_t>(t.Choice("replace", 0, kReplaceChoices)));
    if (const TomlValue *v = t.Get("attributes"))
        Set(f.attributes, v, AttributesOf(*v));
    if (const TomlValue *v = t.Get("date"))
        Set(f.date, v, v->is_string() && TextOf(*v) == "modified" ? kModificationTime : DateOf(*v));
    ReadText(t, "version", f.version);
    ReadText(t, "display_name", f.displayName);
    ReadText(t, "shortcut_name", f.shortcutName);
    ReadText(t, "shortcut_icon", f.shortcutIcon);
    ReadText(t, "arguments", f.arguments);
    ReadText(t, "destination", f.destination);
    ReadText(t, "working_folder", f.workingFolder);
    ReadText(t, "class_id", f.classId);
    if (const TomlValue *v = t.Get("msi_ui_level"))
        Set(f.msiUiLevel, v, static_cast<int32_t>(t.Choice("msi_ui_level", 3, kMsiUiLevelChoices, 0x7FFFFFFF)));
    return f;
}

// A field set for a type that does not use it is an error: the record would carry a value the
// installer ignores.
template <typename T>
void OnlyFor(const Field<T> &field, const char *key, int32_t type, std::initializer_list<int32_t> types,
             const char *which)
{
    if (!field.value || std::find(types.begin(), types.end(), type) != types.end())
        return;
    FailAt(*field.at, std::string("\"") + key + "\" applies only to " + which + ", not to type \"" +
                          NameOf(kFileTypeChoices, type) + "\"");
}

// The same for one of the true/false flags, named by its bit.
void OnlyForFlag(const RecordFields &f, int32_t bit, int32_t type, std::initializer_list<int32_t> types,
                 const char *which)
{
    for (size_t i = 0; i < kFileFlagBits.size(); ++i)
        if (kFileFlagBits[i].second == bit)
            OnlyFor(f.flags[i], kFileFlagBits[i].first, type, types, which);
}

bool IsVersionTyped(int32_t type)
{
    return type == kFileTypeSystem || type == kFileTypeCom || type == kFileTypeTypeLibrary ||
           type == kFileTypeVersioned;
}

// The version a file's own version resource gives ("FileVersion", commas as dots), so that
// replacement by version works without versions written into the project by hand. A file
// without one gets an empty version (compared by date at install time) and a warning.
std::string VersionOfFile(const std::string &source, const std::string &name,
                          std::vector<std::string> &warnings)
{
    std::ifstream in(source, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        ThrowSystemError("cannot read " + source);
    PeInfo info;
    std::string version;
    if (ReadPeInfo(bytes.data(), bytes.size(), info)) {
        const auto it = info.versionTexts.find("FileVersion");
        if (it != info.versionTexts.end())
            version = NormalizedFileVersion(it->second);
    }
    if (version.empty())
        warnings.push_back(source + ": \"" + name + "\" is replaced by version but has no "
                           "\"FileVersion\" in a version resource; give \"version\" in the project "
                           "(until then it is compared by date)");
    return version;
}

FileRecord MakeRecord(const RecordFields &f, const std::string &name, const std::string &source,
                      const TomlValue &entry, std::vector<std::string> &warnings)
{
    FileRecord r;
    r.name = PathText(entry, name);
    r.type = f.type.value.value_or(kFileTypeProgram);
    const int32_t t = r.type;

    OnlyFor(f.version, "version", t,
            {kFileTypeSystem, kFileTypeCom, kFileTypeTypeLibrary, kFileTypeVersioned},
            "types system, com, typelib and versioned");
    OnlyFor(f.displayName, "display_name", t, {kFileTypeFont, kFileTypeControlPanel},
            "types font and control-panel");
    OnlyFor(f.shortcutName, "shortcut_name", t, {kFileTypeProgram, kFileTypeStartup},
            "types file and startup");
    OnlyForFlag(f, kFileFlagDesktopShortcut, t, {kFileTypeProgram, kFileTypeStartup}, "types file and startup");
    OnlyForFlag(f, kFileFlagStartMenuShortcut, t, {kFileTypeProgram, kFileTypeStartup}, "types file and startup");
    OnlyFor(f.arguments, "arguments", t, {kFileTypeProgram, kFileTypeStartup, kFileTypeControlPanel},
            "types file, startup and control-panel");
    OnlyFor(f.workingFolder, "working_folder", t, {kFileTypeProgram, kFileTypeStartup},
            "types file and startup");
    OnlyFor(f.classId, "class_id", t, {kFileTypeControlPanel}, "type control-panel");
    OnlyFor(f.msiUiLevel, "msi_ui_level", t, {kFileTypeMsiPackage}, "type msi");
    OnlyForFlag(f, kFileFlagMsiUninstallList, t, {kFileTypeMsiPackage}, "type msi");

    r.flags = f.replace.value.value_or(0);
    for (size_t i = 0; i < kFileFlagBits.size(); ++i)
        if (f.flags[i].value.value_or(false))
            r.flags |= int32_t(kFileFlagBits[i].second);
    if (f.shortcutIcon.value && !(r.flags & kFileFlagShortcuts))
        FailAt(*f.shortcutIcon.at, "\"shortcut_icon\" needs desktop_shortcut or start_menu_shortcut "
                                   "(the record carries an icon only with one of them)");
    r.attributes = f.attributes.value.value_or(kNoAttributes);
    r.time = f.date.value && !(*f.date.value == kModificationTime) ? *f.date.value
                                                                   : FileModificationDate(source);

    if (!f.version.value && IsVersionTyped(t))
        r.version = ByteString(VersionOfFile(source, name, warnings));
    const Field<std::string> &label = f.version.value ? f.version
                                      : f.displayName.value ? f.displayName
                                                            : f.shortcutName;
    if (label.value) {
        if (!WideOfUtf8(*label.value))
            FailAt(*label.at, "the text is not valid UTF-8");
        r.version = ByteString(*label.value);
    }
    if (f.shortcutIcon.value)
        r.shortcutIcon = PathText(*f.shortcutIcon.at, *f.shortcutIcon.value);
    if (f.arguments.value)
        r.arguments = Windows1252Text(*f.arguments.at, *f.arguments.value);
    if (f.destination.value)
        r.destination = WideText(*f.destination.at, *f.destination.value);
    const Field<std::string> &folder = f.classId.value ? f.classId : f.workingFolder;
    if (folder.value)
        r.workingFolder = PathText(*folder.at, *folder.value);
    if (t == kFileTypeControlPanel && r.workingFolder.Empty())
        FailAt(entry, "a control-panel applet (\"" + name + "\") needs a \"class_id\"");
    if (t == kFileTypeMsiPackage)
        r.msiUiLevel = f.msiUiLevel.value.value_or(3);
    return r;
}

// The record name of a file: the entry's `to` folder and the file's path below `from`, with
// Windows separators. Names that Windows cannot hold are refused here rather than at install time.
std::string RecordName(const TomlValue &at, const std::string &to, const std::string &relative)
{
    std::string joined = to.empty() ? relative : to + "/" + relative;
    std::string name;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = joined.size();
        const std::string part = joined.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            FailAt(at, "\"" + joined + "\" leaves the installation folder (\"..\")");
        for (unsigned char c : part)
            if (c < 32 || std::string("<>:\"|?*").find(static_cast<char>(c)) != std::string::npos)
                FailAt(at, "\"" + joined + "\" holds a character that Windows file names cannot "
                                           "(control characters or < > : \" | ? *)");
        if (part.back() == ' ' || part.back() == '.')
            FailAt(at, "\"" + joined + "\" has a name ending in a blank or a dot, which Windows drops");
        name += (name.empty() ? "" : "\\") + part;
    }
    if (name.empty())
        FailAt(at, "a file needs a name in the installation");
    return name;
}

std::vector<std::string> Patterns(ProjectTable &t, const char *key)
{
    std::vector<std::string> out;
    for (const TomlValue *v : t.TextList(key))
        out.push_back(TextOf(*v));
    return out;
}

bool AnyMatch(const std::vector<std::string> &patterns, const std::string &path)
{
    for (const std::string &p : patterns)
        if (GlobMatch(p, path))
            return true;
    return false;
}

struct Rule {
    std::vector<std::string> match;
    RecordFields fields;
};

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Every file below `folder` as (path relative to the entry's folder with "/", host path). A link
// keeps its own name and brings its target's content; a link that leads nowhere, a link to a
// folder (not followed, so that a loop cannot make the walk endless) and anything that is neither
// file nor folder are errors: leaving them out would ship a product without them unnoticed.
void ListFolder(const TomlValue &at, const fs::path &folder, const std::string &prefix,
                std::vector<std::pair<std::string, std::string>> &found)
{
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const fs::path path = it->path();
        const std::string relative = prefix + path.filename().string();
        std::error_code kindError;
        const fs::file_status own = fs::symlink_status(path, kindError);
        const fs::file_status target = fs::status(path, kindError);
        if (fs::is_symlink(own) && !fs::exists(target))
            FailAt(at, "the link " + path.string() + " leads to nothing (" +
                           fs::read_symlink(path, kindError).string() + " does not exist)");
        if (fs::is_directory(target)) {
            if (fs::is_symlink(own))
                FailAt(at, "the link " + path.string() + " leads to a folder, which is not followed "
                           "(add the folder with an entry of its own)");
            ListFolder(at, path, relative + "/", found);
        } else if (fs::is_regular_file(target)) {
            found.emplace_back(relative, path.string());
        } else {
            FailAt(at, path.string() + " is neither a file nor a folder");
        }
    }
    if (error)
        FailAt(at, "cannot list the folder " + folder.string() + ": " + error.message());
}

} // namespace

std::string ResolveProjectPath(const std::string &projectFolder, const std::string &path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    return (fs::path(projectFolder) / path).lexically_normal().string();
}

DateTime FileModificationDate(const std::string &path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        ThrowSystemError("cannot read the date of " + path);
    return DateOfEpoch(st.st_mtime);
}

std::vector<ProjectFile> ReadFileEntries(ProjectTable &top, const std::string &projectFolder,
                                        std::vector<std::string> &warnings)
{
    std::vector<ProjectFile> files;
    // Two records for the same place would overwrite each other at install time.
    std::map<std::string, std::string> places;

    for (ProjectTable &entry : top.Tables("files")) {
        const TomlValue *from = entry.Text("from");
        if (!from)
            FailAt(entry.Self(), "a [[files]] entry needs \"from\" (a file or folder of the product)");
        const std::string source = ResolveProjectPath(projectFolder, TextOf(*from));
        std::error_code error;
        const fs::file_status status = fs::status(source, error);
        if (error || !fs::exists(status))
            FailAt(*from, "\"" + TextOf(*from) + "\" does not exist (" + source + ")");
        const bool folder = fs::is_directory(status);

        std::string to;
        if (const TomlValue *v = entry.Text("to"))
            to = TextOf(*v);
        const TomlValue *rename = entry.Text("name");
        if (rename && folder)
            FailAt(*rename, "\"name\" renames a single file; \"from\" is a folder");
        std::vector<std::string> include = Patterns(entry, "include");
        const std::vector<std::string> exclude = Patterns(entry, "exclude");
        if (!folder && (entry.Get("include") || entry.Get("exclude")))
            FailAt(*(entry.Get("include") ? entry.Get("include") : entry.Get("exclude")),
                   "\"include\" and \"exclude\" choose files of a folder; \"from\" is a file");
        if (include.empty())
            include.push_back("**");

        const RecordFields fields = ReadRecordFields(entry);
        std::vector<Rule> rules;
        for (ProjectTable &r : entry.Tables("rule")) {
            Rule rule;
            rule.match = Patterns(r, "match");
            if (rule.match.empty())
                FailAt(r.Self(), "a [[files.rule]] needs \"match\" (a pattern or a list of patterns)");
            rule.fields = ReadRecordFields(r);
            r.Finish();
            rules.push_back(std::move(rule));
        }
        entry.Finish();

        // (relative path with "/", host path), sorted so that the output does not depend on the
        // order in which the file system lists a folder.
        std::vector<std::pair<std::string, std::string>> found;
        if (folder) {
            ListFolder(*from, source, "", found);
            std::vector<std::pair<std::string, std::string>> chosen;
            for (auto &f : found)
                if (AnyMatch(include, f.first) && !AnyMatch(exclude, f.first))
                    chosen.push_back(std::move(f));
            found = std::move(chosen);
            std::sort(found.begin(), found.end());
        } else {
            found.emplace_back(rename ? TextOf(*rename) : fs::path(source).filename().string(), source);
        }
        if (found.empty())
            FailAt(*from, "no file of \"" + TextOf(*from) + "\" matches the entry's patterns");

        for (const auto &[relative, path] : found) {
            RecordFields f = fields;
            for (const Rule &rule : rules)
                if (AnyMatch(rule.match, relative))
                    f.Over(rule.fields);
            ProjectFile file;
            file.source = path;
            file.origin = LocationOf(entry.Self());
            const std::string name = RecordName(rename ? *rename : *from, to, relative);
            file.record = MakeRecord(f, name, path, entry.Self(), warnings);
            std::error_code sizeError;
            file.size = fs::file_size(path, sizeError);
            if (sizeError)
                FailAt(*from, "cannot read the size of " + path + ": " + sizeError.message());
            if (file.size > static_cast<uint64_t>(kMaxFileSize))
                FailAt(*from, path + " is larger than 1 GiB, the most one file of an installer can hold");

            const std::string place = std::to_string(file.record.type) + "|" +
                                      std::to_string(file.record.flags & kFileFlagUninstallFolder) + "|" +
                                      Lower(Utf8OfWide(file.record.destination)) +
                                      "|" + Lower(name);
            const auto [it, added] = places.emplace(place, file.origin);
            if (!added)
                FailAt(entry.Self(), "\"" + name + "\" is installed twice to the same place (first by the "
                                     "entry at " + it->second + ")");
            files.push_back(std::move(file));
        }
    }
    return files;
}
