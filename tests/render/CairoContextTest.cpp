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
        {"a.PDF", CairoTarget::Pdf},         {"a.Ps", CairoTarget::Ps},
        {"a.sVg", CairoTarget::Svg},         {"a.png", CairoTarget::Png},
        {"a.eps", CairoTarget::Invalid},     {"png", CairoTarget::Invalid},
        {"a.png.txt", CairoTarget::Invalid},
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
        std::string head, body;
    } rows[] = {
        {"g.png", "\x89PNG\r\n\x1a\n", "IEND"},
        {"g.PDF", "%PDF", "%%EOF"},
        {"g.ps", "%!PS", "%%EOF"},
        {"g.svg", "<?xml", "<svg"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const wxString path = dir.File(row.name);
        {
            CairoContext cairo(path, 321.9, 123.2);
            ASSERT_EQ(cairo.GetKind(), CairoTargetFromFileName(row.name));
            cairo_rectangle(cairo(), 10, 10, 50, 50);
            cairo.SetSourceColour(Colour(0, 0, 255, 102));
            cairo_fill(cairo());
            EXPECT_FALSE(wxFileExists(path)) << "the file appears only when complete";
        }
        const std::string bytes = ReadFile(path);
        EXPECT_EQ(bytes.substr(0, row.head.size()), row.head);
        EXPECT_NE(bytes.find(row.body), std::string::npos);
        EXPECT_FALSE(wxFileExists(path + ".tmp"));
    }
    cairo_surface_t* png = cairo_image_surface_create_from_png(dir.File("g.png").utf8_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), 321); // truncated, not rounded
    EXPECT_EQ(cairo_image_surface_get_height(png), 123);
    EXPECT_EQ(PixelAt(png, 20, 20), 0x66000066u); // premultiplied 40 % blue
    EXPECT_EQ(PixelAt(png, 5, 5) >> 24, 0u);
    cairo_surface_destroy(png);
}

TEST(CairoContext, FailuresGiveInvalidAndLeaveFilesAlone)
{
    TempDir dir("invalid");
    const wxString good = dir.File("keep.png");
    std::ofstream(good.utf8_string()) << "good";
    const struct
    {
        const char* name;
        wxString path;
        double w, h;
    } rows[] = {
        {"unknown extension", dir.File("g.jpg"), 100, 100},
        {"missing folder", dir.File("no/such/g.pdf"), 100, 100},
        {"zero PNG", dir.File("z.png"), 0.5, 100},
        {"huge PNG", dir.File("h.png"), 1e9, 100},
        {"NaN page", dir.File("n.svg"), NAN, 100},
        {"existing file kept", good, -1, 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            CairoContext cairo(row.path, row.w, row.h);
            EXPECT_EQ(cairo.GetKind(), CairoTarget::Invalid);
            EXPECT_EQ(cairo(), nullptr);
            EXPECT_FALSE(cairo.Finish());
        }
        EXPECT_EQ(wxFileExists(row.path), row.path == good);
    }
    EXPECT_EQ(ReadFile(good), "good");
}

TEST(CairoContext, FontSizeSlantAndWeight)
{
    CairoContext cairo(10, 10);
    const struct
    {
        const char* name;
        FontDesc font;
        double dpi, size;
        cairo_font_slant_t slant;
        cairo_font_weight_t weight;
    } rows[] = {
        {"default", FontDesc{}, 96, 13, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL},
        {"italic bold at 144 dpi",
         FontDesc{12, FontFamily::Swiss, FontStyle::Italic, FONT_WEIGHT_BOLD, false, "DejaVu Sans"},
         144, 24, CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD},
        {"slant, heavier than bold",
         FontDesc{10, FontFamily::Roman, FontStyle::Slant, 900, false, ""}, 96, 13,
         CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_NORMAL},
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
    EXPECT_EQ(CairoContext(0, 30).GetKind(), CairoTarget::Invalid);
}
