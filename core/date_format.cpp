#include "core/date_format.h"

namespace {

const char16_t *const kMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                     u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

bool At(const char16_t *p, const char16_t *letters)
{
    for (; *letters; ++p, ++letters)
        if (*p != *letters)
            return false;
    return true;
}

} // namespace

String FormatDate(const char16_t *pattern, const DateTime &when)
{
    String out;
    for (const char16_t *p = pattern; *p;) {
        if (At(p, u"yy")) {
            out.AppendFormatWide(u"%04d", when.year);
            p += 2;
        } else if (At(p, u"mm")) {
            out.AppendFormatWide(u"%02d", when.month);
            p += 2;
        } else if (At(p, u"dd")) {
            out.AppendFormatWide(u"%02d", when.day);
            p += 2;
        } else if (At(p, u"ii")) {
            out.AppendFormatWide(u"%02d", when.minute);
            p += 2;
        } else if (At(p, u"ss")) {
            out.AppendFormatWide(u"%02d", when.second);
            p += 2;
        } else if (At(p, u"ap")) {
            out.AppendWide(when.hour >= 12 ? u"p" : u"a");
            p += 2;
        } else if (*p == u'd') {
            out.AppendFormatWide(u"%d", when.day);
            ++p;
        } else if (*p == u'M') {
            out.AppendWide(when.month >= 1 && when.month <= 12 ? kMonths[when.month - 1] : u"???");
            ++p;
        } else if (*p == u'h') {
            const int h = when.hour % 12;
            out.AppendFormatWide(u"%d", h == 0 ? 12 : h);
            ++p;
        } else {
            out.AppendWideChar(*p);
            ++p;
        }
    }
    return out;
}
