// The uninstaller's registry removal: the "!", "^" and "*" records of the uninstall list, the
// product's own key and the "[Registry2]" instructions. Keys whose loss would damage Windows
// (install/registry_path.h IsProtectedRegistryKey) are never deleted, whatever a hand-edited
// "Uninstall.DAT" says. Registry removal reports nothing to the user; the functions say whether
// they did what the record asked and, when they refused, why (`refusal` may be null).
#pragma once

#include "core/registry_win.h"
#include "core/string.h"

// "!" record: `item` is 8-bit path text "key path\value name"; the value is deleted (in every user
// hive under "\HKAU\"). A value that is not there counts as deleted.
bool DeleteRegistryValueRecord(const String &item, RegistryView view, String *refusal = nullptr);

// "^" record (view: the installation's) or "*" record (RegistryView::Bits64): the key is deleted
// with all its subkeys. A key that is not there counts as deleted.
bool DeleteRegistryKeyRecord(const String &item, RegistryView view, String *refusal = nullptr);

// The product key "Software\" + `productRegistry` (wide): deleted with its subkeys under HKLM, then
// its parents while they are empty (at most 20 keys in all); then the same in every user hive,
// stopping before "Software" itself.
void RemoveProductRegistryKey(const String &productRegistry, RegistryView view);

// The "[Registry2]" text (wide): one-field records name a key (more than one backslash) that is
// deleted when empty; five-field records of operation 2, 3 or 5 name a value that is deleted.
void RemoveRegistryTextEntries(const String &registryText, RegistryView view);
