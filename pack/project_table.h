// Reading the project file's TOML tables strictly.
//
// A ProjectTable records the keys it was asked for; Finish() makes any other key an error
// ("unknown key", with a suggestion when a known key is close), so that a misspelt option never
// leaves an installer built with a default the author did not want. Every error is a PackError
// naming the file and line of the value at fault, followed by that line.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <toml.hpp>

#include "core/date_time.h"
#include "core/string.h"

using TomlValue = toml::value;

// The names of a choice and their values (pack/project_options.h holds the project's).
using ChoiceList = std::vector<std::pair<const char *, int64_t>>;

// "file:line" of a value.
std::string LocationOf(const TomlValue &at);
[[noreturn]] void FailAt(const TomlValue &at, const std::string &message);

// The message of a toml11 syntax error, in the packer's "file:line: what" form.
std::string TomlSyntaxMessage(const toml::syntax_error &error);

class ProjectTable {
public:
    ProjectTable(const TomlValue &table, std::string name) : table_(&table), name_(std::move(name)) {}

    const TomlValue &Self() const { return *table_; }
    const std::string &Name() const { return name_; }

    // The value of `key`, or null; the key counts as known either way.
    const TomlValue *Get(const char *key);
    // Marks a key as known without reading it here.
    void Know(const char *key) { known_.insert(key); }

    bool Bool(const char *key, bool fallback);
    const TomlValue *Text(const char *key);        // null when absent; an error when not a text
    int64_t Integer(const char *key, int64_t fallback, int64_t min, int64_t max);
    // A finite number n with above < n <= atMost (an integer is taken as a number).
    double Number(const char *key, double fallback, double above, double atMost);
    // One of `names` (its value is returned), or, when rawMax >= 0, an integer from 0 to rawMax.
    int64_t Choice(const char *key, int64_t fallback, const ChoiceList &names, int64_t rawMax = -1);
    std::optional<ProjectTable> Table(const char *key);
    std::vector<ProjectTable> Tables(const char *key);   // [[key]]
    std::vector<const TomlValue *> TextList(const char *key);   // a text or a list of texts

    void Finish() const;

private:
    const TomlValue *Typed(const char *key, toml::value_t type, const char *expected);

    const TomlValue *table_;
    std::string name_;
    std::set<std::string> known_;
};

std::string TextOf(const TomlValue &v);

// Conversions of project texts (UTF-8) into the forms the setup data stores; each fails at `at`
// when the text cannot be stored in that form.
String WideText(const TomlValue &at, const std::string &utf8);        // UTF-16
String Windows1252Text(const TomlValue &at, const std::string &utf8); // 8-bit message text
String PathText(const TomlValue &at, const std::string &utf8);        // 8-bit path text
String ByteString(const std::string &bytes);

// UTF-8 to wide text; nullopt when the bytes are not well-formed UTF-8.
std::optional<String> WideOfUtf8(const std::string &utf8);
std::string Utf8OfWide(const String &wide);

// Batch commands and plain-text documents get Windows line ends (a lone LF becomes CR LF).
std::string WithCrLf(const std::string &text);

// A date of the project (taken as UTC): 2024-05-01T12:30:00, 2024-05-01 (no time) or "none".
DateTime DateOf(const TomlValue &v);
