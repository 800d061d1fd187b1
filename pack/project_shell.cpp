// The shell and system settings that have no item of the settings record: [taskbar], [shortcuts],
// [[firewall]] and [registry]. The pin's command and name are the record's two shortcut-step
// texts; the rest is built into the file-step block (setupdata/shell_settings.h). These tables
// are read after [advanced], whose raw texts name the same stored fields: giving both is refused
// rather than letting one silently win.
#include "pack/project_reader.h"

#include "setupdata/settings_flags.h"
#include "setupdata/shell_settings.h"

namespace {

// A firewall field can hold neither the field separator nor a line end (either would change the
// entry's shape, which the setup program takes for damaged setup data).
void CheckFirewallField(const TomlValue &at, const std::string &text, const char *what)
{
    if (text.find_first_of(";\r\n") != std::string::npos)
        FailAt(at, std::string("a firewall ") + what + " cannot hold \";\" or a line break");
}

} // namespace

void ProjectReader::ReadTaskbar(ProjectTable &t)
{
    const TomlValue *command = t.Text("pin_command");
    const TomlValue *name = t.Text("pin_name");
    if (!command && !name)
        return;
    const TomlValue &at = command ? *command : *name;
    if (!s_.ShortcutStepTexts[kPinCommandText].Empty() || !s_.ShortcutStepTexts[kPinNameText].Empty())
        FailAt(at, "[taskbar] cannot be given together with [advanced] shortcut_step_texts (they are the "
                   "same two stored texts)");
    if (name && !command)
        FailAt(*name, "\"pin_name\" needs a \"pin_command\" (without a command nothing is pinned)");
    s_.ShortcutStepTexts[kPinCommandText] = WideText(*command, TextOf(*command));
    if (name)
        s_.ShortcutStepTexts[kPinNameText] = WideText(*name, TextOf(*name));
}

void ProjectReader::ReadShortcutSettings(ProjectTable &t)
{
    const TomlValue *name = t.Text("root_name");
    const TomlValue *command = t.Text("root_command");
    if ((name != nullptr) != (command != nullptr))
        FailAt(name ? *name : *command, "the root shortcut needs both \"root_name\" and \"root_command\"");
    if (name) {
        shell_.rootShortcutName = WideText(*name, TextOf(*name));
        shell_.rootShortcutCommand = WideText(*command, TextOf(*command));
        shellAt_ = name;
    }
    if (const TomlValue *icon = t.Text("desktop_folder_icon")) {
        if (s_.DesktopFolder.Empty() && !(s_.ProductFlags & ProductFlag::DesktopFolderDefaultsToProduct))
            FailAt(*icon, "\"desktop_folder_icon\" needs a desktop folder ([folders] desktop or "
                       "desktop_defaults_to_product)");
        shell_.desktopFolderIcon = FileString(*icon, FileKind::Icon);
        shellAt_ = icon;
    }
}

void ProjectReader::ReadFirewall(ProjectTable &t)
{
    const TomlValue *port = t.Get("port");
    const TomlValue *program = t.Text("program");
    if ((port != nullptr) == (program != nullptr))
        FailAt(t.Self(), "a [[firewall]] entry needs either a \"port\" or a \"program\"");
    std::string target;
    int protocols = 0;
    if (port) {
        target = std::to_string(t.Integer("port", 0, 1, 65535));
        const std::vector<const TomlValue *> names = t.TextList("protocols");
        for (const TomlValue *p : names) {
            const std::string name = TextOf(*p);
            if (name == "tcp")
                protocols |= 0x1;
            else if (name == "udp")
                protocols |= 0x2;
            else
                FailAt(*p, "a firewall protocol is \"tcp\" or \"udp\"");
        }
        if (names.empty())
            protocols = 0x1;
    } else {
        if (const TomlValue *p = t.Get("protocols"))
            FailAt(*p, "\"protocols\" belong to a port; a program's exception covers every protocol");
        target = TextOf(*program);
        if (target.empty())
            FailAt(*program, "the firewall \"program\" is empty");
        CheckFirewallField(*program, target, "program");
    }
    std::string name;
    if (const TomlValue *v = t.Text("name")) {
        name = TextOf(*v);
        CheckFirewallField(*v, name, "name");
    }
    const bool keep = t.Bool("keep", false);
    t.Finish();
    firewallLines_ += target + ";" + name + ";" + std::to_string(protocols) + ";" + (keep ? "1" : "0") + "\r\n";
    shellAt_ = &t.Self();
}

void ProjectReader::ReadRegistry(ProjectTable &t)
{
    if (const TomlValue *merge = t.Text("merge")) {
        shell_.registryMerge = FileString(*merge);
        if (shell_.registryMerge.Empty())
            FailAt(*merge, "the registry merge file is empty");
        shellAt_ = merge;
    }
}

void ProjectReader::BuildShellSettings()
{
    if (!firewallLines_.empty())
        shell_.firewallList = PathText(*shellAt_, firewallLines_);   // one text: one encoding for every line
    const String block = WriteShellSettings(shell_);
    if (block.Empty())
        return;
    if (!s_.FileStepBlock.Empty())
        FailAt(*shellAt_, "[advanced] file_step_block cannot be given together with [shortcuts] root_name, "
                          "root_command or desktop_folder_icon, [[firewall]] or [registry] merge (they are "
                          "stored in that block)");
    s_.FileStepBlock = block;
}
