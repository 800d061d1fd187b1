// Wide texts that equal or differ ignoring case, for the library's fold (host) and the system's
// invariant-locale comparison (Windows) alike.
#pragma once

#include <string>

struct WideCaseEquality {
    std::u16string a, b;
    bool equal;
};

inline const WideCaseEquality kWideCaseEqualities[] = {
    {u"Program Files", u"PROGRAM FILES", true},
    {u"\u00E9t\u00E9", u"\u00C9T\u00C9", true},
    {u"\u00FF", u"\u0178", true},
    {u"\u0101\u0107\u013A\u017E", u"\u0100\u0106\u0139\u017D", true},   // Latin Extended-A
    {u"\u03B1\u03C3", u"\u0391\u03A3", true},                           // Greek
    {u"\u0434\u0451", u"\u0414\u0401", true},                           // Cyrillic
    {u"\uFF41", u"\uFF21", true},                                       // full-width
    {u"", u"", true},
    {u"a", u"b", false},
    {u"ab", u"abc", false},
    {u"\u00F7", u"\u00D7", false},
    {u"\u00E9", u"e", false},
};
