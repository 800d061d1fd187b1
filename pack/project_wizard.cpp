// [wizard] and [window].
#include "pack/project_reader.h"

#include "pack/project_options.h"
#include "setupdata/settings_flags.h"

namespace {

constexpr double kMaxTextSizeFactor = 20;

} // namespace

void ProjectReader::ReadWizard(ProjectTable &t)
{
    s_.AutomaticModeOverride =
        static_cast<uint8_t>(t.Choice("automatic", 0, kAutomaticChoices, 255));
    s_.StatusDisplayTime = static_cast<uint16_t>(t.Integer("status_time", 0, 0, 9999));
    s_.BannerHeadline = WideKey(t, "banner_headline");
    s_.PictureFrameStyle = static_cast<uint8_t>(t.Choice("picture_frame", 0, kPictureFrameChoices, 255));
    s_.GreetingText = WideKey(t, "greeting_text");
    if (const TomlValue *v = t.Text("greeting_link")) {
        s_.GreetingLink = Windows1252Text(*v, TextOf(*v));
        if (s_.GreetingLink.Length() > 0xFFFF)
            FailAt(*v, "\"greeting_link\" is longer than 65,535 bytes");
    }
    s_.LicenceDocuments = Documents(t, "licence");
    s_.ReadmeDocuments = Documents(t, "readme");
    s_.StartSound = FileKey(t, "start_sound", FileKind::Wave);
    s_.ProgressWindowPosition = ProgressPosition(t);
    ReadDialogVariants(t);
    ReadFlags("wizard", &t, s_);
}

std::vector<String> ProjectReader::Documents(ProjectTable &t, const char *key)
{
    std::vector<String> out;
    const std::vector<const TomlValue *> files = t.TextList(key);
    if (files.size() > 20)
        FailAt(*files[20], std::string("at most 20 documents can be given in \"") + key + "\"");
    for (const TomlValue *f : files)
        out.push_back(Document(*f));
    return out;
}

int32_t ProjectReader::ProgressPosition(ProjectTable &t)
{
    return static_cast<int32_t>(t.Choice("progress_position", 3 | 24, kProgressPositionChoices, INT32_MAX));
}

void ProjectReader::ReadDialogVariants(ProjectTable &t)
{
    s_.DialogVariants.fill(1);
    const TomlValue *v = t.Get("layout");
    if (!v)
        return;
    if (v->is_integer()) {
        const int64_t n = t.Integer("layout", 1, 0, 3);
        s_.DialogVariants.fill(static_cast<int32_t>(n));
        return;
    }
    std::optional<ProjectTable> layout = t.Table("layout");
    for (int i = 0; i < kDialogVariantCount; ++i)
        s_.DialogVariants[i] = static_cast<int32_t>(layout->Integer(kLayoutPages[i], 1, 0, INT32_MAX));
    layout->Finish();
}

void ProjectReader::ReadWindow(ProjectTable &t)
{
    s_.TaskbarText = WideKey(t, "taskbar_text", WideText(t.Self(), productName_ + " Setup"));
    s_.DisplayTitle = WideKey(t, "title");
    // Factors of the standard point size (26 for the title, 16 for the copyright line): past 20
    // the text no longer fits any screen.
    s_.TitleSize = t.Number("title_size", 1.0, 0, kMaxTextSizeFactor);
    s_.TitleColor = Colour(t, "title_color", 0xFFFFFF);
    s_.TitleShadow = static_cast<uint8_t>(t.Integer("title_shadow", 1, 0, 255));
    s_.TitlePosition = static_cast<uint8_t>(Position(t, "title_position", 1));
    s_.TitleFont = NarrowKey(t, "title_font", String("Segoe UI,Arial"));
    s_.TopColor = Colour(t, "top_color", 0x804020);      // #204080
    s_.BottomColor = Colour(t, "bottom_color", 0x200000); // #000020
    if (const TomlValue *bitmap = t.Text("background")) {
        s_.BackgroundBitmap = FileString(*bitmap, FileKind::Bitmap);
        if (s_.BackgroundBitmap.Empty())
            FailAt(*bitmap, "the background picture is empty");
        s_.ProductFlags |= ProductFlag::BackgroundBitmap;
    }
    s_.BitmapTPI = static_cast<int32_t>(t.Integer("background_transparent_index", -1, -1, INT32_MAX));
    s_.BitmapSize = static_cast<int32_t>(
        t.Integer("background_size", s_.BackgroundBitmap.Empty() ? 0 : 100, 0, 100));
    s_.StretchMode = static_cast<int32_t>(t.Choice("background_placement", 0, kBackgroundPlacementChoices, INT32_MAX));
    if (std::optional<ProjectTable> c = t.Table("copyright")) {
        s_.CopyrightText = WideKey(*c, "text");
        s_.CopyrightFont = NarrowKey(*c, "font", String("Segoe UI,Arial"));
        s_.CopyrightSize = c->Number("size", 1.0, 0, kMaxTextSizeFactor);
        s_.CopyrightColor = Colour(*c, "color", 0xFFFFFF);
        s_.CopyrightPos = static_cast<uint8_t>(Position(*c, "position", 6));
        c->Finish();
    }
    ReadFlags("window", &t, s_);
}

int64_t ProjectReader::Position(ProjectTable &t, const char *key, int64_t fallback)
{
    return t.Choice(key, fallback, kTextPositionChoices, 255);
}
