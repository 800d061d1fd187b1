#include "app/command_line.h"

#include <string_view>

#include "core/ascii_text.h"
#include "core/codepage.h"
#include "core/path_text.h"

namespace {

using Text = std::u16string_view;

// Reading stops when the counter, advanced before each atom, reaches this value: 19 atoms at most.
constexpr int kAtomCounterLimit = 20;

// Takes the next atom off the front of `rest`, with its quoted runs and their quotes.
String ReadAtom(Text &rest)
{
    String atom;
    size_t i = 0;
    while (i < rest.size() && IsBlankUnit(rest[i]))
        ++i;
    while (i < rest.size() && !IsBlankUnit(rest[i])) {
        if (rest[i] != u'"') {
            atom.AppendWideChar(rest[i++]);
            continue;
        }
        const size_t start = ++i;
        while (i < rest.size() && rest[i] != u'"')
            ++i;
        // An unclosed run still comes out quoted on both sides, as a closed one does.
        atom.AppendWideChar(u'"');
        atom.AppendWide(rest.data() + start, static_cast<int32_t>(i - start));
        atom.AppendWideChar(u'"');
        if (i < rest.size())
            ++i;
    }
    rest.remove_prefix(i);
    return atom;
}

// string_view::substr checks its range with an exception, which would bring the C++ exception
// runtime into the program; the callers here have checked the length already.
Text Tail(Text text, size_t from) { return Text(text.data() + from, text.size() - from); }

String WideOf(Text text) { return String(text.data(), static_cast<int32_t>(text.size())); }

Text WithoutEnclosingQuotes(Text value)
{
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        return Text(value.data() + 1, value.size() - 2);
    return value;
}

Text WithoutTrailingQuote(Text value)
{
    if (!value.empty() && value.back() == u'"')
        value.remove_suffix(1);
    return value;
}

String BackquotesToQuotes(Text value)
{
    String out;
    for (char16_t c : value)
        out.AppendWideChar(c == u'`' ? u'"' : c);
    return out;
}

// 8-bit batch commands: the ANSI text with its trailing quote removed, ` -> " and ~~ -> CR LF.
String BatchAddition(Text value)
{
    String ansi;
    // A failed conversion leaves the text empty: no commands are added rather than garbled ones.
    CodePageFromWide(value.data(), static_cast<int32_t>(value.size()), kCodePageAnsi, "?", ansi);
    std::string_view text(ansi.Bytes(), static_cast<size_t>(ansi.Length()));
    if (!text.empty() && text.back() == '"')
        text.remove_suffix(1);
    String out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '~' && i + 1 < text.size() && text[i + 1] == '~') {
            out.Append("\r\n", 2);
            ++i;
        } else {
            out.AppendByte(text[i] == '`' ? '"' : text[i]);
        }
    }
    return out;
}

// Applies one option (the atom without its "/" or "-"); false when no option matches.
bool ApplyOption(Text option, RunMode &mode, CommandLineOverrides &overrides)
{
    static constexpr Text kBatchPrefixes[3] = {u"B1:\"", u"B2:\"", u"B3:\""};

    if (EqualsAsciiNoCase(option, u"A")) {
        mode.automatic = true;
    } else if (StartsWithAsciiNoCase(option, u"D:")) {
        overrides.installFolder = WideOf(WithoutEnclosingQuotes(Tail(option, 2)));
        overrides.installFolderText = PathTextFromWide(overrides.installFolder);
    } else if (StartsWithAsciiNoCase(option, u"N:")) {
        overrides.productName = WideOf(WithoutEnclosingQuotes(Tail(option, 2)));
    } else if (StartsWithAsciiNoCase(option, u"U")) {
        mode.uninstall = true;
        if (option.size() > 1 && option[1] == u':')
            mode.uninstallProduct = WideOf(WithoutEnclosingQuotes(Tail(option, 2)));
    } else if (StartsWithAsciiNoCase(option, u"R:\"")) {
        overrides.runAfterInstall = BackquotesToQuotes(WithoutTrailingQuote(Tail(option, 3)));
    } else {
        for (int i = 0; i < 3; ++i) {
            if (StartsWithAsciiNoCase(option, kBatchPrefixes[i])) {
                overrides.batchAdditions[i] = BatchAddition(Tail(option, kBatchPrefixes[i].size()));
                return true;
            }
        }
        if (EqualsAsciiNoCase(option, u"SILENT")) {
            mode.silent = true;
            mode.automatic = true;
        } else if (EqualsAsciiNoCase(option, u"MIN")) {
            mode.minimised = true;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

CommandLineResult ParseCommandLine(const char16_t *commandLine, RunMode &mode, CommandLineOverrides &overrides)
{
    Text rest = commandLine ? Text(commandLine) : Text();
    ReadAtom(rest); // the program's path
    rest = TrimBlanks(rest);

    CommandLineResult result;
    for (int counter = 1; counter < kAtomCounterLimit && !rest.empty(); ++counter) {
        String atom = ReadAtom(rest);
        if (atom.Empty())
            break;
        const Text text = WideView(atom);
        if (text.front() != u'/' && text.front() != u'-') {
            result.error = CommandLineError::UnexpectedParameter;
        } else if (text.size() > 1 && !ApplyOption(Tail(text, 1), mode, overrides)) {
            result.error = CommandLineError::IllegalAtom;
        }
        if (result.error != CommandLineError::None) {
            result.atom = std::move(atom);
            break;
        }
    }
    return result;
}

String CommandLineErrorMessage(const CommandLineResult &result)
{
    String message(result.error == CommandLineError::UnexpectedParameter
                       ? u"Unexpected command line parameter:\r\n"
                       : u"Illegal command line atom:\r\n");
    message.Append(result.atom);
    return message;
}

String UsageMessage(const String &message, const String &programFileName)
{
    String usage(message);
    usage.AppendWide(u"\r\n\r\nUsage:\r\n");
    usage.Append(programFileName);
    usage.AppendWide(
        u" [/a] [/b1:\"commands\"] [/b2:\"commands\"] [/b3:\"commands\"] [/d:\"dir\"] [/n:\"name\"] "
        u"[/u:\"name\"] [/r:\"program\"] [/silent]\r\n\r\n"
        u"/a                  \tAutomatic mode.\r\n"
        u"/d:\"dir\"        \tOverride installation path.\r\n"
        u"/b1:\"commands\"\tAdd commands to the end of the Pre-Installation Batch.\r\n"
        u"/b2:\"commands\"\tAdd commands to the end of the Post-Installation Batch.\r\n"
        u"/b3:\"commands\"\tAdd commands to the end of the Installation-Exit Batch.\r\n"
        u"/n:\"name\"\tOverride product name.\r\n"
        u"/u:\"name\"\tUninstall product by name.\r\n"
        u"/r:\"program\"\tRun the specified program after a successful installation.\r\n"
        u"/silent\tDisplay no user interface.");
    return usage;
}
