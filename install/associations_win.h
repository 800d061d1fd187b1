// File associations: installation (the extension's class, its verb, command and icon under
// HKEY_CLASSES_ROOT, every overwritten default value saved under the backup value name first) and
// removal from the association records of "Uninstall.DAT" (the saved defaults put back).
#pragma once

#include <vector>

#include "core/registry_win.h"
#include "core/string.h"
#include "install/association_rules.h"
#include "setupdata/settings.h"

struct AssociationStepInput {
    const std::vector<FileAssociation> *associations = nullptr;   // the setup script's, in order
    String productName;       // wide: gives the backup value name
    String language;          // wide: the installation's language name
    String installFolder;     // wide: relative icon paths are taken from here
    bool bits64 = false;
    void (*expand)(String &wide) = nullptr;   // path variables of commands and icons
};

// Each association in order; its record goes to the uninstall data (AddAssociationRecord). Log
// lines and failure-summary entries as the step's rules say; the shell is told at the end.
void InstallAssociations(const AssociationStepInput &in);

// Undoes one record: saved defaults come back, the product's verb, icon and class go, and the
// extension's key goes when nothing else is left in it.
void RestoreAssociation(const AssociationRecord &record, const String &productName, RegistryView view);

// The shell rereads associations (after the last association of a run).
void AnnounceAssociationChange();
