// The rules of file associations that need no registry: the backup value name, the record kept
// for the uninstaller, the choice of the class an extension uses, and when an old default value is
// backed up.
//
// All texts are wide; the record is made 8-bit path text.
//
// Class names of the setup script: empty means "the class already registered for the extension";
// a leading "!" means "the registered class when there is one, else this name".
#pragma once

#include "core/string.h"

// The value under which an overwritten default is kept: the product name (wide) + " Backup",
// without backslashes, CR, LF and tabs.
String AssociationBackupName(const String &productName);

// The extension with its leading "."; an empty extension stays empty.
String NormalisedExtension(const String &extension);

// One association record of "Uninstall.DAT": "%s~!~%s~!~%s~!~%s\r\n" (extension, class, verb,
// icon), the line as one 8-bit path text (a non-ASCII field makes the whole line "|" + UTF-8), so
// that the reader converts the line and then splits it.
String FormatAssociationRecord(const String &extension, const String &className, const String &verb,
                               const String &icon);

// An association record read back (wide texts).
struct AssociationRecord {
    String extension;
    String progId;
    String verb;
    String icon;
};

// The reader's side of FormatAssociationRecord: the line (8-bit path text, line end optional) is
// converted and split at the first three "~!~"; false for a record whose extension, class or verb
// is empty or blank.
bool ParseAssociationRecord(const String &line, AssociationRecord &record);

enum class AssociationClassChoice {
    UseRegistered,   // the extension's registered class; its default value is left alone
    SetOwn,          // the given class; the extension's default value becomes it
    NoLabel,         // empty class name and nothing registered: the association fails
};

// Step 3 of an association in mode 1: which class the extension uses, from the script's class
// name and the class registered now (the extension's default value, empty when none). `useClass`
// gets the class to work on.
AssociationClassChoice ChooseAssociationClass(const String &className, const String &registeredClass,
                                              String &useClass);

// The class name without its "!" marker.
String AssociationClassWithoutMarker(const String &className);

// Whether an existing default value is saved before `newValue` replaces it: only a value that is
// there, not blank and different; and never over a backup that is already there and not blank (a
// reinstallation or upgrade would otherwise replace the user's original value by the product's
// own earlier one, and the uninstaller could never restore it).
bool ShouldBackUpDefault(bool oldExists, const String &oldValue, const String &newValue,
                         bool backupExists, const String &backupValue);
