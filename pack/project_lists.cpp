// The lists: [[shortcut]], [[association]], [[delete]] and [[close_program]].
#include "pack/project_reader.h"

#include <cstring>

#include "pack/pack_error.h"
#include "pack/project_options.h"

void ProjectReader::ReadShortcut(ProjectTable &t)
{
    ShortcutRecord r;
    const TomlValue *target = t.Text("target");
    if (!target || TextOf(*target).empty())
        FailAt(t.Self(), "a [[shortcut]] needs a \"target\"");
    r.target = PathText(*target, TextOf(*target));
    r.name = WideKey(t, "name");
    r.icon = PathKey(t, "icon");
    r.arguments = WideKey(t, "arguments");
    r.workingFolder = PathKey(t, "working_folder");
    r.folder = PathKey(t, "folder");
    r.desktop = t.Bool("desktop", false);
    r.startMenu = t.Bool("start_menu", false);
    r.startup = t.Bool("startup", false);
    r.permanent = t.Bool("permanent", false);
    r.show = static_cast<uint8_t>(
        t.Choice("show", 0, kShortcutShowChoices));
    r.expandTarget = 1;
    if (!r.desktop && !r.startMenu && !r.startup && r.folder.Empty())
        FailAt(t.Self(), "a [[shortcut]] must be placed somewhere: set desktop, start_menu or "
                       "startup to true, or give a folder");
    t.Finish();
    s_.Shortcuts.push_back(r);
}

void ProjectReader::ReadAssociation(ProjectTable &t)
{
    FileAssociation a;
    a.mode = static_cast<int32_t>(
        t.Choice("mode", 1, kAssociationModeChoices, INT32_MAX));
    const TomlValue *extension = t.Text("extension");
    if (!extension || TextOf(*extension).empty())
        FailAt(t.Self(), "an [[association]] needs an \"extension\"");
    a.extension = Windows1252Text(*extension, TextOf(*extension));
    a.className = NarrowKey(t, "class");
    a.description = NarrowKey(t, "description");
    a.verb = NarrowKey(t, "verb", String("open"));
    a.verbText = NarrowKey(t, "verb_text");
    a.command = PathKey(t, "command");
    a.language = WideKey(t, "language");
    a.icon = PathKey(t, "icon");
    t.Finish();
    s_.Associations.push_back(a);
}

void ProjectReader::ReadDeletion(ProjectTable &t)
{
    FileDeletion d;
    const TomlValue *path = t.Text("path");
    if (!path || TextOf(*path).empty())
        FailAt(t.Self(), "a [[delete]] entry needs a \"path\"");
    d.path = PathText(*path, TextOf(*path));
    d.condition = static_cast<uint8_t>(
        t.Choice("when", 0, kDeletionConditions, 255));
    d.value = NarrowKey(t, "value");
    // Deleted at installation unless told otherwise.
    for (const auto &bit : kDeletionFlagBits)
        if (t.Bool(bit.first, std::strcmp(bit.first, "install") == 0))
            d.flags = static_cast<uint8_t>(d.flags | bit.second);
    t.Finish();
    s_.ConditionalDeletions.push_back(d);
}

void ProjectReader::ReadProgramToClose(ProjectTable &t)
{
    AutoCloseEntry e;
    e.windowClass = NarrowKey(t, "window_class");
    e.windowTitle = NarrowKey(t, "window_title");
    if (e.windowClass.Empty() && e.windowTitle.Empty())
        FailAt(t.Self(), "a [[close_program]] entry needs a \"window_class\" or a \"window_title\"");
    e.programName = NarrowKey(t, "program");
    e.mode = static_cast<int32_t>(
        t.Choice("mode", 0, kCloseModeChoices, 255));
    e.phase = static_cast<uint8_t>(
        t.Choice("phase", 1, kClosePhaseChoices, 255));
    t.Finish();
    s_.ProgramsToClose.push_back(e);
}

void ProjectReader::CheckCounts(ProjectTable &top)
{
    const auto tooMany = [&](const char *key, size_t n, size_t max) {
        if (n > max)
            FailAt(*top.Get(key), std::string("at most ") + std::to_string(max) + " [[" + key +
                                    "]] entries can be given");
    };
    tooMany("shortcut", s_.Shortcuts.size(), 1000);
    tooMany("association", s_.Associations.size(), 1000);
    tooMany("close_program", s_.ProgramsToClose.size(), 1000);
    tooMany("delete", s_.ConditionalDeletions.size(), 1001);
    if (s_.SavedValues.size() > 1000)
        throw PackError(p_.path + ": at most 1,000 uninstall values can be given");
}
