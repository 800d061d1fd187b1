// [product], [folders], [upgrade], [install], [log], [uninstall], [batches], [notify] and
// [required_product].
#include "pack/project_reader.h"

#include "pack/project_options.h"
#include "setupdata/settings_flags.h"

void ProjectReader::ReadProduct(ProjectTable &t)
{
    const TomlValue *name = t.Text("name");
    if (name) {
        productName_ = TextOf(*name);
        s_.DisplayName = WideText(*name, productName_);
    }
    s_.DisplayVersion = NarrowKey(t, "version");
    s_.Publisher = NarrowKey(t, "publisher");
    s_.ProductDescription = WideKey(t, "description");
    s_.UninstallName = WideKey(t, "uninstall_name");
    s_.ProductRegistry = WideKey(t, "registry_key");
    s_.Bitness = static_cast<uint8_t>(
        t.Choice("bitness", 0, kBitnessChoices));
    s_.InstallPassword = NarrowKey(t, "password");
    s_.ProductIcon = FileKey(t, "icon", FileKind::Icon);
    s_.ExtraSpace = t.Integer("extra_space", 0, 0, INT64_MAX);
    s_.UnsupportedSystems = UnsupportedSystems(t);
    ReadFlags("product", &t, s_);
    // Unknown keys first: a misspelt "name" is better reported as such than as a missing one.
    t.Finish();
    if (productName_.empty())
        FailAt(t.Self(), "[product] needs a \"name\" (the product's name)");
}

uint32_t ProjectReader::UnsupportedSystems(ProjectTable &t)
{
    const TomlValue *v = t.Get("unsupported_windows");
    if (!v)
        return 0;
    if (v->is_integer()) {
        if (v->as_integer() < 0 || v->as_integer() > 0xFFFFFFFF)
            FailAt(*v, "\"unsupported_windows\" must be a 32-bit mask");
        return static_cast<uint32_t>(v->as_integer());
    }
    uint32_t mask = 0;
    for (const TomlValue *e : t.TextList("unsupported_windows")) {
        bool found = false;
        for (const auto &system : kWindowsVersionBits)
            if (TextOf(*e) == system.first)
                mask |= uint32_t(system.second), found = true;
        if (!found)
            FailAt(*e, "unknown Windows version \"" + TextOf(*e) +
                         "\" (known: " + NamesOf(kWindowsVersionBits) + ")");
    }
    return mask;
}

void ProjectReader::ReadFolders(ProjectTable &t)
{
    s_.InstallFolderSetting = WideKey(t, "install");
    s_.ProductStartMenu = WideKey(t, "start_menu");
    s_.DesktopFolder = WideKey(t, "desktop");
    s_.SharedPath = WideKey(t, "shared");
    s_.SharedFolderBase = static_cast<uint8_t>(t.Choice("shared_base", 0, kSharedBaseChoices, 255));
    s_.SharedSubfolder = WideKey(t, "shared_in_install");
    s_.UninstallSubdir = WideKey(t, "uninstall_subfolder");
    s_.UninstallerFileName = PathKey(t, "uninstaller_name", String("Uninstall.exe"));
    if (s_.UninstallerFileName.Empty())
        FailAt(*t.Get("uninstaller_name"), "\"uninstaller_name\" must not be empty");
    s_.EarlierFolderValue = PathKey(t, "earlier_folder_value");
    s_.AddToPathSubfolder = WideKey(t, "add_to_path_subfolder");
    s_.ShortcutMode = t.Bool("shortcuts_for_all_users", true) ? 1 : 0;
    ReadFlags("folders", &t, s_);
}

void ProjectReader::ReadUpgrade(ProjectTable &t)
{
    s_.MinUpgradableVersion = NarrowKey(t, "min_upgradable_version");
    s_.WarningVersion = NarrowKey(t, "warning_version");
    if (const TomlValue *v = t.Text("no_downgrade_below")) {
        s_.NoDowngradeBelow = Windows1252Text(*v, TextOf(*v));
        if (s_.NoDowngradeBelow.Length() > 255)
            FailAt(*v, "\"no_downgrade_below\" is longer than 255 bytes");
    }
    ReadFlags("upgrade", &t, s_);
}

void ProjectReader::ReadInstall(ProjectTable &t)
{
    s_.LaunchOnExit = NarrowKey(t, "launch_on_exit");
    s_.RegistryText = NarrowKey(t, "registry_text");
    s_.AssociationText = NarrowKey(t, "association_text");
    s_.ReadFileDataFromFile = t.Bool("data_from_file", false) ? 1 : 0;
    ReadFlags("install", &t, s_);
}

void ProjectReader::ReadLog(ProjectTable &t) { ReadFlags("log", &t, s_); }

void ProjectReader::ReadUninstall(ProjectTable &t)
{
    if (const TomlValue *v = t.Get("date")) {
        s_.UninstallerDate = DateOf(*v);
        p_.uninstallerDateGiven = true;
    }
    if (const TomlValue *v = t.Text("support_url")) {
        s_.SupportOffer = Windows1252Text(*v, TextOf(*v));
        if (s_.SupportOffer.Length() > 0xFFFF)
            FailAt(*v, "\"support_url\" is longer than 65,535 bytes");
    }
    s_.MsiBlock = WideKey(t, "msi_block");
    s_.UninstallRecordStream = NarrowKey(t, "record_stream");
    for (ProjectTable &v : t.Tables("value")) {
        UninstallData d;
        const TomlValue *name = v.Text("name");
        if (!name || TextOf(*name).empty())
            FailAt(v.Self(), "an uninstall value needs a \"name\"");
        d.name = PathText(*name, TextOf(*name));
        d.kind = static_cast<uint8_t>(
            v.Choice("kind", 1, kUninstallValueKinds));
        d.text = NarrowKey(v, "text");
        v.Finish();
        s_.SavedValues.push_back(d);
    }
    ReadFlags("uninstall", &t, s_);
}

void ProjectReader::ReadBatches(ProjectTable &t)
{
    s_.PreInstallBatch = BatchKey(t, "pre_install");
    s_.PostInstallBatch = BatchKey(t, "post_install");
    s_.ExitBatch = BatchKey(t, "exit");
    s_.UninstallBatch1 = BatchKey(t, "uninstall_1");
    s_.UninstallBatch2 = BatchKey(t, "uninstall_2");
    s_.UpgradeBatch = BatchKey(t, "upgrade");
    s_.ReinstallBatch = BatchKey(t, "reinstall");
    ReadFlags("batches", &t, s_);
}

void ProjectReader::ReadNotify(ProjectTable &t)
{
    s_.InstallNotifyURL = NarrowKey(t, "install_url");
    s_.WizardNotifyURL = NarrowKey(t, "wizard_url");
    s_.NotifyURL = NarrowKey(t, "uninstall_url");
}

void ProjectReader::ReadRequiredProduct(ProjectTable &t)
{
    s_.ProductFlags |= ProductFlag::RequiredProduct;
    s_.RequiredProductName = NarrowKey(t, "name");
    s_.RequiredProductDisplayName = NarrowKey(t, "display_name");
    s_.RequiredProductMinVersion = NarrowKey(t, "min_version");
    t.Finish();
}
