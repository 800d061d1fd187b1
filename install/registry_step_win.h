// The registry step of the installation: the product's own key, the registry instructions of the
// setup script (install/registry_entries.h) and the registry merge file. Failures go to the
// failure summary; none stops the installation.
#pragma once

#include "core/string.h"

struct RegistryStepInput {
    String productRegistry;   // wide: the key below "Software\" made under HKLM and every user hive
    String registryText;      // wide: the instructions (RegistryTextWide of the settings' text)
    bool bits64 = false;      // 64-bit installation: the 64-bit registry view
    void (*expand)(String &wide) = nullptr;   // path variables of REG_SZ data; null: none
};

// The product key and the instructions, in order.
void WriteRegistryEntries(const RegistryStepInput &in);

// Writes `mergeText` (8-bit, as the setup script carries it) into a new temporary ".reg" file and
// starts "regedit /s" on it without waiting; the file is deleted at the next restart. Nothing
// happens for an empty text.
void MergeRegistryFile(const String &mergeText);
