// The installer's built-in English texts: one row of the language table per text the setup program
// and its uninstaller show, each with a name that project files may use instead of the row number.
// "<product>", "<description>" and "<os>" are expanded by the program; printf conversions are filled
// by the code that shows the row (each row's comment says with what).
#pragma once

#include <string>

struct LanguageRowText {
    int row;
    const char *name;
    const char *text;   // UTF-8, CR LF line ends
};

// Rows in ascending order; rows the program does not use are absent (and stored empty).
const LanguageRowText *DefaultLanguageRows(int *count);

// Row number of a row name, or -1 when no row has that name.
int LanguageRowByName(const std::string &name);

// Built-in English text of a row; empty for rows without one.
std::string DefaultLanguageText(int row);
