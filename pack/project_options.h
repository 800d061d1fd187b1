// The project's named option bits and colours, in one table that serves both the reader (a key's
// value sets or clears its bit) and --dump (a set bit is shown under its key's name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "pack/project_table.h"
#include "setupdata/settings.h"

// Option bits with a name of their own. `inverted` keys name the effect of a clear bit
// ("greeting_page = false" sets the bit that hides the greeting page).
struct FlagKey {
    const char *table;
    const char *key;
    int word;           // 1: ProductFlags, 2: ProductFlags2
    uint64_t mask;
    bool inverted;
    bool byDefault;     // the key's value when it is absent
};

extern const FlagKey kFlagKeys[];
extern const size_t kFlagKeyCount;

void SetFlag(Settings &s, const FlagKey &f, bool value);

// Reads the named option bits of one table (all of them at their defaults when the table is
// absent).
void ReadFlags(const char *table, ProjectTable *t, Settings &s);

// "#rrggbb" or an integer: a Windows colour (0x00bbggrr).
uint32_t Colour(ProjectTable &t, const char *key, uint32_t fallback);

// The named values of the project's choices: the reader takes a name to its value, --dump a value
// back to its name. Lists of "bits" name single bits of a mask (a list of names in the project).
extern const ChoiceList kBitnessChoices;             // [product] bitness
extern const ChoiceList kWindowsVersionBits;         // [product] unsupported_windows
extern const ChoiceList kSharedBaseChoices;          // [folders] shared_base
extern const ChoiceList kAutomaticChoices;           // [wizard] automatic
extern const ChoiceList kPictureFrameChoices;        // [wizard] picture_frame
extern const ChoiceList kProgressPositionChoices;    // [wizard] progress_position
extern const ChoiceList kTextPositionChoices;        // [window] title_position, [window.copyright] position
extern const ChoiceList kBackgroundPlacementChoices; // [window] background_placement
extern const ChoiceList kUninstallValueKinds;        // [[uninstall.value]] kind
extern const ChoiceList kShortcutShowChoices;        // [[shortcut]] show
extern const ChoiceList kAssociationModeChoices;     // [[association]] mode
extern const ChoiceList kDeletionConditions;         // [[delete]] when
extern const ChoiceList kDeletionFlagBits;           // [[delete]] at_restart, ..., install, uninstall
extern const ChoiceList kCloseModeChoices;           // [[close_program]] mode
extern const ChoiceList kClosePhaseChoices;          // [[close_program]] phase
extern const ChoiceList kFileTypeChoices;            // [[files]] type
extern const ChoiceList kReplaceChoices;             // [[files]] replace (bits 0x1C of the flags)
extern const ChoiceList kMsiUiLevelChoices;          // [[files]] msi_ui_level
extern const ChoiceList kFileFlagBits;               // [[files]] desktop_shortcut, ... (true/false keys)
extern const ChoiceList kAttributeBits;              // [[files]] attributes
// The keys of [wizard.layout], in the order of Settings::DialogVariants.
extern const char *const kLayoutPages[kDialogVariantCount];

// The name of `value` in `names`, or null.
const char *NameOf(const ChoiceList &names, int64_t value);
// The names of a list of bits joined by ", " in the project's words.
std::string NamesOf(const ChoiceList &names);
