// [package] and [advanced].
#include "pack/project_reader.h"

#include "pack/project_options.h"
#include "setupdata/settings_flags.h"

void ProjectReader::ReadPackage(ProjectTable &t)
{
    p_.package.level = static_cast<int>(t.Integer("level", kDefaultLevel, 0, 9));
    p_.package.chunkSize =
        static_cast<int32_t>(t.Integer("chunk_size", 1 << 20, 4096, 0x10000000));
    p_.package.encrypt = t.Bool("encrypt", false);
    if (const TomlValue *key = t.Text("key")) {
        const std::string hex = TextOf(*key);
        if (hex.size() != 16 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            FailAt(*key, "\"key\" must be 16 hexadecimal digits (the 8-byte cipher key)");
        for (int i = 0; i < 8; ++i)
            p_.package.key[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
        p_.package.keyGiven = true;
        if (!p_.package.encrypt)
            FailAt(*key, "\"key\" is given but \"encrypt\" is not true");
    }
    if (p_.package.encrypt)
        s_.ProductFlags2 |= ProductFlag2::Blowfish;
    ReadSignCommand(t);
    ReadFlags("package", &t, s_);
}

void ProjectReader::ReadSignCommand(ProjectTable &t)
{
    const std::vector<const TomlValue *> words = t.TextList("sign");
    if (words.empty())
        return;
    const TomlValue &at = *t.Get("sign");
    bool input = false;
    for (const TomlValue *w : words) {
        input = input || TextOf(*w).find("{input}") != std::string::npos;
        p_.package.signCommand.push_back(TextOf(*w));
    }
    if (!at.is_array())
        FailAt(at, "\"sign\" must be a list: the command and its arguments, one text each");
    if (!input)
        FailAt(at, "\"sign\" must name the installer to sign as \"{input}\"");
    // A signature follows the last section, and such an installer needs its data to end the file.
    if (s_.ReadFileDataFromFile)
        FailAt(at, "an installer that reads its file data from its own file ([install] "
                   "data_from_file) cannot be signed: its data must end the file, and a signature "
                   "would follow it");
}

void ProjectReader::ReadAdvanced(ProjectTable &t)
{
    // A flag word is a set of bits, never a negative number (TOML integers hold 63 bits and a
    // sign; the top bit has no option).
    const int64_t flags = t.Integer("product_flags", 0, 0, INT64_MAX);
    s_.ProductFlags |= static_cast<uint64_t>(flags);
    s_.ProductFlags2 |= static_cast<uint32_t>(t.Integer("product_flags2", 0, 0, 0xFFFFFFFF));
    if (const TomlValue *v = t.Text("reserved")) {
        const std::string hex = TextOf(*v);
        if (hex.size() != 40 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            FailAt(*v, "\"reserved\" must be 40 hexadecimal digits (20 bytes)");
        for (int i = 0; i < 20; ++i)
            s_.Reserved[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    }
    if (const TomlValue *v = t.Text("file_step_block"))
        s_.FileStepBlock = FileString(*v);
    // Texts whose use the install steps settle; their stored forms are fixed here.
    const std::vector<const TomlValue *> end = FixedTexts(t, "end_texts", 6);
    for (size_t i = 0; i < end.size(); ++i)
        s_.EndTexts[i] = Windows1252Text(*end[i], TextOf(*end[i]));
    const std::vector<const TomlValue *> fileStep = FixedTexts(t, "file_step_texts", 2);
    if (!fileStep.empty()) {
        s_.FileStepTexts[0] = WideText(*fileStep[0], TextOf(*fileStep[0]));
        s_.FileStepTexts[1] = Windows1252Text(*fileStep[1], TextOf(*fileStep[1]));
    }
    const std::vector<const TomlValue *> shortcutStep = FixedTexts(t, "shortcut_step_texts", 2);
    for (size_t i = 0; i < shortcutStep.size(); ++i)
        s_.ShortcutStepTexts[i] = WideText(*shortcutStep[i], TextOf(*shortcutStep[i]));
    t.Finish();
}

// A list of exactly `count` texts, or none at all.
std::vector<const TomlValue *> ProjectReader::FixedTexts(ProjectTable &t, const char *key, size_t count)
{
    std::vector<const TomlValue *> texts = t.TextList(key);
    if (!texts.empty() && texts.size() != count)
        FailAt(*t.Get(key), std::string("\"") + key + "\" must be a list of " +
                                std::to_string(count) + " texts");
    return texts;
}
