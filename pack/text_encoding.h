// Text conversions from the project file's UTF-8 to the encodings the setup data stores: UTF-16 for
// wide settings, Windows-1252 for 8-bit texts (the installer's message code page), and the 8-bit path
// text convention (ASCII unchanged, otherwise "|" followed by UTF-8) for file names and paths.
#pragma once

#include <optional>
#include <string>

// Decodes UTF-8; nullopt when the bytes are not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(const std::string &utf8);

// Encodes UTF-16 as UTF-8 (unpaired surrogates become U+FFFD).
std::string Utf16ToUtf8(const std::u16string &wide);

// Windows-1252 bytes of a UTF-8 text; nullopt when a character has no Windows-1252 form.
std::optional<std::string> Utf8ToWindows1252(const std::string &utf8);

// The UTF-8 form of Windows-1252 bytes (the five unassigned bytes map to the C1 controls).
std::string Windows1252ToUtf8(const std::string &bytes);

// 8-bit path text of a UTF-8 path: ASCII unchanged, anything else "|" followed by the UTF-8 bytes.
std::string PathText8(const std::string &utf8);

// The UTF-8 path of an 8-bit path text (the inverse of PathText8 for ASCII and "|" texts; other
// bytes are taken as Windows-1252).
std::string PathText8ToUtf8(const std::string &text);
