// The command line of the setup program.
//
// Grammar: the first atom (the program's path) is removed and the rest trimmed. Atoms are read from
// the front: leading white space is skipped, then characters are collected up to white space; a
// double quote starts a quoted run that reaches to the next double quote (or the end) and is kept
// in the atom with its quotes, white space included. At most 19 atoms are examined; text beyond
// them is ignored. Each atom starts with "/" or "-" and names one option, matched ignoring case in
// this order (the first match wins):
//
//   A          automatic mode
//   D:value    installation folder; one pair of enclosing quotes removed; kept as wide and as
//              8-bit path text
//   N:value    product name; one pair of enclosing quotes removed
//   U[:value]  uninstall; a colon right after the U introduces the product name (enclosing quotes
//              removed), so /uninstall requests uninstall mode without a name
//   R:"value   program to run after the installation; one trailing quote removed, ` -> "
//   B1:"value  (B2:", B3:") batch additions, converted to the ANSI code page; one trailing quote
//              removed, ` -> ", ~~ -> CR LF
//   Silent     silent and automatic mode
//   MIN        minimised installer window
//
// An atom that is empty after its "/" or "-" is skipped. A later value replaces an earlier one.
#pragma once

#include "app/run_mode.h"
#include "core/string.h"

enum class CommandLineError {
    None,
    UnexpectedParameter, // an atom without "/" or "-"
    IllegalAtom,         // an option that does not exist
};

struct CommandLineResult {
    CommandLineError error = CommandLineError::None;
    String atom; // wide: the offending atom as written, prefix included
};

// Parses `commandLine` (wide, the whole line with the program's path first) into `mode` and
// `overrides`. The atoms are applied in order; parsing stops at the first bad atom, so the options
// before it have taken effect (a /silent before a bad atom keeps the usage message from being shown).
CommandLineResult ParseCommandLine(const char16_t *commandLine, RunMode &mode, CommandLineOverrides &overrides);

// The message for a parse error, without the usage text: "Unexpected command line parameter:\r\n"
// or "Illegal command line atom:\r\n" followed by the atom (wide).
String CommandLineErrorMessage(const CommandLineResult &result);

// The whole usage message (wide): `message`, then the usage text naming `programFileName`.
String UsageMessage(const String &message, const String &programFileName);
