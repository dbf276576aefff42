#include <gtest/gtest.h>

#include <cmath>

#include <wx/filefn.h>

#include "render/CairoContext.h"
#include "RenderTestUtil.h"

TEST(CairoContext, KindFollowsExtensionIgnoringCase)
{
    const struct
    {
        const char* name;
        CairoTarget kind;
    } rows[] = {
        {"a.pdf", CairoTarget::Pdf},     {"a.PDF", CairoTarget::Pdf},
        {"a.ps", CairoTarget::Ps},       {"a.Ps", CairoTarget::Ps},
        {"a.svg", CairoTarget::Svg},     {"a.sVg", CairoTarget::Svg},
        {"a.png", CairoTarget::Png},     {"a.Png", CairoTarget::Png},
        {"a.eps", CairoTarget::Invalid}, {"a.jpg", CairoTarget::Invalid},
        {"png", CairoTarget::Invalid},   {"a.png.txt", CairoTarget::Invalid},
        {"", CairoTarget::Invalid},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CairoTargetFromFileName(row.name), row.kind);
    }
}

TEST(CairoContext, EachFileKindWritesAValidFileOnDestruction)
{
    TempDir dir("files");
    const struct
    {
        const char* name;
        CairoTarget kind;
        std::string head;
    } rows[] = {
        {"g.png", CairoTarget::Png, "\x89PNG\r\n\x1a\n"},
        {"g.PDF", CairoTarget::Pdf, "%PDF"},
        {"g.ps", CairoTarget::Ps, "%!PS"},
        {"g.svg", CairoTarget::Svg, "<?xml"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const wxString path = dir.File(row.name);
        {
            CairoContext cairo(path, 321.9, 123.2);
            ASSERT_EQ(cairo.GetKind(), row.kind);
            cairo_rectangle(cairo(), 10, 10, 50, 50);
            cairo.SetSourceColour(Colour(255, 0, 0));
            cairo_fill(cairo());
            EXPECT_FALSE(wxFileExists(path)) << "the file appears only when complete";
        }
        const std::string bytes = ReadFile(path);
        ASSERT_GE(bytes.size(), row.head.size());
        EXPECT_EQ(bytes.substr(0, row.head.size()), row.head);
        EXPECT_FALSE(wxFileExists(path + ".tmp"));
        if (row.kind == CairoTarget::Png) {
            cairo_surface_t* png = cairo_image_surface_create_from_png(path.utf8_str());
            EXPECT_EQ(cairo_image_surface_get_width(png), 321); // truncated, not rounded
            EXPECT_EQ(cairo_image_surface_get_height(png), 123);
            EXPECT_EQ(PixelAt(png, 20, 20), 0xFFFF0000u);
            cairo_surface_destroy(png);
        }
        if (row.kind == CairoTarget::Svg) {
            EXPECT_NE(bytes.find("<svg"), std::string::npos);
        }
        if (row.kind == CairoTarget::Pdf) {
            EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
        }
    }
}

TEST(CairoContext, FailuresGiveInvalidAndLeaveFilesAlone)
{
    TempDir dir("invalid");
    const wxString jpg = dir.File("g.jpg");
    {
        CairoContext cairo(jpg, 100, 100);
        EXPECT_EQ(cairo.GetKind(), CairoTarget::Invalid);
        EXPECT_EQ(cairo(), nullptr);
        EXPECT_FALSE(cairo.Finish());
    }
    EXPECT_FALSE(wxFileExists(jpg));

    const struct
    {
        const char* name;
        wxString path;
        double w, h;
    } rows[] = {
        {"missing folder", dir.File("no/such/g.pdf"), 100, 100},
        {"zero PNG", dir.File("z.png"), 0.5, 100},
        {"negative PNG", dir.File("n.png"), 100, -3},
        {"huge PNG", dir.File("h.png"), 1e9, 100},
        {"NaN page", dir.File("n.svg"), NAN, 100},
        {"zero page", dir.File("z.ps"), 100, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CairoContext cairo(row.path, row.w, row.h);
        EXPECT_EQ(cairo.GetKind(), CairoTarget::Invalid);
        EXPECT_EQ(cairo(), nullptr);
        EXPECT_EQ(cairo.GetSurface(), nullptr);
    }

    // A good file is not replaced by a failed one.
    const wxString good = dir.File("keep.png");
    {
        std::ofstream(good.utf8_string()) << "good";
    }
    {
        CairoContext cairo(good, -1, 10);
        EXPECT_EQ(cairo.GetKind(), CairoTarget::Invalid);
    }
    EXPECT_EQ(ReadFile(good), "good");
}

TEST(CairoContext, ColourKeepsAlpha)
{
    TempDir dir("alpha");
    const wxString path = dir.File("a.png");
    {
        CairoContext cairo(path, 4, 4);
        cairo_set_operator(cairo(), CAIRO_OPERATOR_SOURCE);
        cairo.SetSourceColour(Colour(255, 0, 0, 0));
        cairo_paint(cairo());
        cairo.SetSourceColour(Colour(0, 0, 255, 102));
        cairo_rectangle(cairo(), 0, 0, 2, 4);
        cairo_fill(cairo());
    }
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.utf8_str());
    EXPECT_EQ(PixelAt(png, 0, 0), 0x66000066u); // premultiplied 40 % blue
    EXPECT_EQ(PixelAt(png, 3, 0) >> 24, 0u);    // fully transparent
    cairo_surface_destroy(png);
}

TEST(CairoContext, FontSizeSlantAndWeight)
{
    CairoContext cairo(10, 10);
    ASSERT_EQ(cairo.GetKind(), CairoTarget::Window);
    const struct
    {
        const char* name;
        FontDesc font;
        double dpi, size;
        cairo_font_slant_t slant;
        cairo_font_weight_t weight;
    } rows[] = {
        {"default", FontDesc{}, 96, 13, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL},
        {"144 dpi", FontDesc{}, 144, 20, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL},
        {"italic bold",
         FontDesc{12, FontFamily::Swiss, FontStyle::Italic, FONT_WEIGHT_BOLD, false, "DejaVu Sans"},
         96, 16, CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD},
        {"slant, light",
         FontDesc{10, FontFamily::Roman, FontStyle::Slant, FONT_WEIGHT_LIGHT, false, ""}, 96, 13,
         CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_NORMAL},
        {"heavier than bold", FontDesc{10, FontFamily::Default, FontStyle::Normal, 900, false, ""},
         96, 13, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cairo.SelectFont(row.font, row.dpi);
        cairo_matrix_t m;
        cairo_get_font_matrix(cairo(), &m);
        EXPECT_EQ(m.xx, row.size);
        cairo_font_face_t* face = cairo_get_font_face(cairo());
        EXPECT_EQ(cairo_toy_font_face_get_slant(face), row.slant);
        EXPECT_EQ(cairo_toy_font_face_get_weight(face), row.weight);
    }
}

TEST(CairoContext, WindowImageCopiesInOnePiece)
{
    CairoContext window(40, 30);
    ASSERT_EQ(window.GetKind(), CairoTarget::Window);
    EXPECT_EQ(cairo_image_surface_get_width(window.GetSurface()), 40);
    EXPECT_EQ(cairo_image_surface_get_height(window.GetSurface()), 30);
    window.SetSourceColour(Colour(0, 128, 0));
    cairo_paint(window());

    cairo_surface_t* screen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 60, 60);
    cairo_t* cr = cairo_create(screen);
    cairo_translate(cr, 10, 5); // where the pane sits in its top-level window
    window.CopyTo(cr);
    EXPECT_EQ(PixelAt(screen, 10, 5), 0xFF008000u);
    EXPECT_EQ(PixelAt(screen, 49, 34), 0xFF008000u);
    EXPECT_EQ(PixelAt(screen, 50, 35), 0xFF000000u);
    cairo_destroy(cr);
    cairo_surface_destroy(screen);

    CairoContext hidpi(40, 30, 2.0);
    EXPECT_EQ(cairo_image_surface_get_width(hidpi.GetSurface()), 80);
    CairoContext empty(0, 30);
    EXPECT_EQ(empty.GetKind(), CairoTarget::Invalid);
}
