// The structure that --dump shows, built once and written in either of two forms: text for people
// (sections, one value a line, the project's key beside the record's name) and JSON for machines
// (--json: the whole structure, for diffs in CI).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class DumpNode {
public:
    enum class Kind {
        Text,      // a text of the installer: quoted in the people form
        Word,      // a value the dump spells ("none", "0x0000002A", "#FFEECC"): never quoted there
        Integer,
        Real,
        Bool,
        Object,    // named members in order, each with the project key that sets it, if any
        List,      // items in order; the people form numbers them from 1
    };

    static DumpNode Text(std::string text);
    static DumpNode Word(std::string word);
    static DumpNode Integer(int64_t value);
    static DumpNode Real(double value);
    static DumpNode Bool(bool value);
    static DumpNode Object();
    static DumpNode List();

    // Members of an object; `key` is the project key that sets the value ("" for none). Returns
    // the member as stored, to fill in.
    DumpNode &Add(const std::string &name, DumpNode value, const std::string &key = std::string());
    // Items of a list.
    DumpNode &Push(DumpNode value);

    Kind kind() const { return kind_; }
    size_t Size() const { return values_.size(); }

    // The people form: top-level members are sections.
    void WriteText(FILE *out) const;
    // JSON: a member that carries a project key is written {"key": ..., "value": ...} (except the
    // top-level sections).
    void WriteJson(FILE *out) const;

private:
    explicit DumpNode(Kind kind) : kind_(kind) {}
    bool Scalar() const { return kind_ != Kind::Object && kind_ != Kind::List; }
    std::string ScalarText() const;
    void WriteTextMembers(FILE *out, int indent) const;
    void WriteJsonValue(FILE *out, int indent) const;

    Kind kind_;
    std::string text_;
    int64_t integer_ = 0;
    double real_ = 0;
    std::vector<std::string> names_, keys_;   // objects
    std::vector<DumpNode> values_;            // members or items
};

// The people form of a text: quoted, with line ends, tabs, quotes, backslashes and other control
// characters escaped, so that every value stays on its line.
std::string PeopleQuoted(const std::string &text);

// JSON's form of a text: quotes, escapes, and U+FFFD for bytes that are not UTF-8.
std::string JsonString(const std::string &utf8);
