// The project file's reader. Its work is divided by the tables it reads:
//   project_reader.cpp     the top level, files named by the project, the text forms of values;
//   project_product.cpp    [product], [folders], [upgrade], [install], [log], [uninstall],
//                          [batches], [notify], [required_product];
//   project_wizard.cpp     [wizard] and [window];
//   project_package.cpp    [package] and [advanced];
//   project_lists.cpp      [[shortcut]], [[association]], [[delete]], [[close_program]];
//   project_languages.cpp  [[language]];
//   project_shell.cpp      [taskbar], [shortcuts], [[firewall]], [registry] (the shell settings);
//   project_files.cpp      [[files]] (pack/project_files.h);
//   project_options.cpp    the named option bits and colours (shared with --dump).
#pragma once

#include <string>
#include <vector>

#include "pack/file_kind.h"
#include "pack/project.h"
#include "pack/project_table.h"
#include "setupdata/shell_settings.h"

class ProjectReader {
public:
    explicit ProjectReader(Project &project) : p_(project), s_(project.settings) {}

    void Read(const TomlValue &root);

private:
    using SectionReader = void (ProjectReader::*)(ProjectTable &);

    void ReadSection(ProjectTable &top, const char *name, SectionReader reader);
    // A file named by the project, relative to the project's folder, read whole. A folder or a
    // file of the wrong kind is an error here: read blindly, a folder gives no bytes at all and a
    // mistaken file gives an installer that shows nothing or garbage.
    std::string FileBytes(const TomlValue &at, FileKind kind = FileKind::Any);
    String FileString(const TomlValue &at, FileKind kind = FileKind::Any);
    // A licence or readme document: rich text as it is, plain text with Windows line ends.
    String Document(const TomlValue &at);
    // Text readers of the forms the settings use; each returns `fallback` when the key is absent.
    String WideKey(ProjectTable &t, const char *key, const String &fallback = String());
    String NarrowKey(ProjectTable &t, const char *key, const String &fallback = String());
    String PathKey(ProjectTable &t, const char *key, const String &fallback = String());
    String BatchKey(ProjectTable &t, const char *key);
    String FileKey(ProjectTable &t, const char *key, FileKind kind);

    void ReadProduct(ProjectTable &t);
    uint32_t UnsupportedSystems(ProjectTable &t);
    void ReadFolders(ProjectTable &t);
    void ReadUpgrade(ProjectTable &t);
    void ReadInstall(ProjectTable &t);
    void ReadLog(ProjectTable &t);
    void ReadUninstall(ProjectTable &t);
    void ReadBatches(ProjectTable &t);
    void ReadNotify(ProjectTable &t);
    void ReadRequiredProduct(ProjectTable &t);

    void ReadWizard(ProjectTable &t);
    std::vector<String> Documents(ProjectTable &t, const char *key);
    int32_t ProgressPosition(ProjectTable &t);
    void ReadDialogVariants(ProjectTable &t);
    void ReadWindow(ProjectTable &t);
    int64_t Position(ProjectTable &t, const char *key, int64_t fallback);

    void ReadPackage(ProjectTable &t);
    void ReadSignCommand(ProjectTable &t);
    void ReadAdvanced(ProjectTable &t);
    // A list of exactly `count` texts, or none at all.
    std::vector<const TomlValue *> FixedTexts(ProjectTable &t, const char *key, size_t count);

    void ReadShortcut(ProjectTable &t);
    void ReadAssociation(ProjectTable &t);
    void ReadDeletion(ProjectTable &t);
    void ReadProgramToClose(ProjectTable &t);
    void CheckCounts(ProjectTable &top);

    // The shell settings without a record item, read after [advanced]; BuildShellSettings makes
    // the file-step block of them.
    void ReadTaskbar(ProjectTable &t);
    void ReadShortcutSettings(ProjectTable &t);
    void ReadFirewall(ProjectTable &t);
    void ReadRegistry(ProjectTable &t);
    void BuildShellSettings();

    // The language table: the built-in English rows, and for each [[language]] those rows with
    // the project's texts over them. Without any [[language]], one language: English.
    void ReadLanguages(std::vector<ProjectTable> languages);

    Project &p_;
    Settings &s_;
    std::string productName_;
    ShellSettings shell_;
    std::string firewallLines_;            // UTF-8, one entry per line
    const TomlValue *shellAt_ = nullptr;   // the last shell key read, for an error about the block
    const TomlValue emptyTable_ = TomlValue(toml::table{});
};
