// [[language]]: the language table.
#include "pack/project_reader.h"

#include <algorithm>
#include <map>

#include "pack/default_language.h"

// The language table: the built-in English rows, and for each [[language]] those rows with
// the project's texts over them. Without any [[language]], one language: English.
void ProjectReader::ReadLanguages(std::vector<ProjectTable> languages)
{
    int defaults = 0;
    const LanguageRowText *rows = DefaultLanguageRows(&defaults);
    int rowCount = rows[defaults - 1].row + 1;

    struct Column {
        String name;
        std::map<int, String> texts;
    };
    std::vector<Column> columns;
    if (languages.empty())
        columns.push_back({String(u"English"), {}});
    if (languages.size() > 200)
        FailAt(languages[200].Self(), "at most 200 languages can be given");
    for (ProjectTable &l : languages) {
        Column c;
        const TomlValue *name = l.Text("name");
        if (!name || TextOf(*name).empty())
            FailAt(l.Self(), "a [[language]] needs a \"name\" (the name shown on the language page)");
        c.name = WideText(*name, TextOf(*name));
        for (const Column &other : columns)
            if (other.name == c.name)
                FailAt(*name, "the language \"" + TextOf(*name) + "\" is given twice");
        if (std::optional<ProjectTable> texts = l.Table("text")) {
            for (const auto &kv : texts->Self().as_table()) {
                const std::string &key = kv.first;
                int row = LanguageRowByName(key);
                if (row < 0 && !key.empty() && key.find_first_not_of("0123456789") == std::string::npos &&
                    key.size() <= 4)
                    row = std::stoi(key);
                if (row < 0)
                    FailAt(kv.second, "unknown language row \"" + key +
                                        "\" (give a row number from 0 to 9999 or the name of a "
                                        "built-in row)");
                if (!kv.second.is_string())
                    FailAt(kv.second, "the text of row \"" + key + "\" must be a text");
                if (c.texts.count(row))
                    FailAt(kv.second, "row " + std::to_string(row) + " is given twice");
                c.texts[row] = WideText(kv.second, WithCrLf(TextOf(kv.second)));
                rowCount = std::max(rowCount, row + 1);
            }
        }
        l.Finish();
        columns.push_back(std::move(c));
    }

    LanguageTable &table = s_.Languages;
    table.names.clear();
    table.rows.assign(rowCount, {});
    for (const Column &c : columns)
        table.names.push_back(c.name);
    for (int row = 0; row < rowCount; ++row) {
        const String builtIn = *WideOfUtf8(DefaultLanguageText(row));
        for (const Column &c : columns) {
            const auto it = c.texts.find(row);
            table.rows[row].push_back(it != c.texts.end() ? it->second : builtIn);
        }
    }
}
