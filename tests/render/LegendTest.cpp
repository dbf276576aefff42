#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <cairo.h>

#include "model/PropertyNames.h"

namespace {

// Pixels of two PNG files of the same size: how many differ inside and outside a box.
struct Difference
{
    int inside = 0;
    int outside = 0;
};

Difference Compare(const std::string& a, const std::string& b, int x0, int y0, int x1, int y1)
{
    cairo_surface_t* sa = cairo_image_surface_create_from_png(a.c_str());
    cairo_surface_t* sb = cairo_image_surface_create_from_png(b.c_str());
    Difference d;
    EXPECT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(sa)) << a;
    EXPECT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(sb)) << b;
    const int w = cairo_image_surface_get_width(sa), h = cairo_image_surface_get_height(sa);
    if (w == cairo_image_surface_get_width(sb) && h == cairo_image_surface_get_height(sb) &&
        w > 0) {
        const int stride = cairo_image_surface_get_stride(sa);
        const unsigned char* pa = cairo_image_surface_get_data(sa);
        const unsigned char* pb = cairo_image_surface_get_data(sb);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const size_t at = size_t(y) * size_t(stride) + size_t(x) * 4;
                if (*reinterpret_cast<const uint32_t*>(pa + at) ==
                    *reinterpret_cast<const uint32_t*>(pb + at))
                    continue;
                (x >= x0 && x < x1 && y >= y0 && y < y1 ? d.inside : d.outside)++;
            }
    } else {
        ADD_FAILURE() << "sizes differ";
    }
    cairo_surface_destroy(sa);
    cairo_surface_destroy(sb);
    return d;
}

int Plot(const std::string& out, const std::string& extra)
{
    const std::string command = std::string(ARDENTINE_CLI) + " plot " + ARDENTINE_BINARY_DIR +
                                "/examples/signals.csv -o " + out + " --size 640x480 " + extra +
                                " >/dev/null 2>&1";
    return std::system(command.c_str());
}

// The frame of a 640 x 480 picture with the default margins is (100, 10)-(630, 430).
TEST(Legend, CliDrawsItOnlyInsideTheChosenCornerOfTheFrame)
{
    char pattern[] = "/tmp/ardentine-legend-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    const std::string dir = pattern;
    ASSERT_EQ(0, Plot(dir + "/plain.png", ""));
    // Every legend property set, but the legend off: the picture is unchanged.
    ASSERT_EQ(0, Plot(dir + "/off.png",
                      "--property Legend.Position=bottom\\ left --property Legend.Font=14,bold "
                      "--property Legend.BGColor=#FF0000"));
    Difference off = Compare(dir + "/plain.png", dir + "/off.png", 0, 0, 0, 0);
    EXPECT_EQ(0, off.inside + off.outside);

    const struct
    {
        const char* options;
        int x0, y0, x1, y1; // the quarter of the frame the legend must stay in
    } rows[] = {
        {"--legend", 365, 10, 631, 220},
        {"--legend --property Legend.Position=bottom\\ left", 100, 220, 365, 431},
        {"--property Legend.Visible=true --property Legend.Position=top\\ left", 100, 10, 365, 220},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options);
        ASSERT_EQ(0, Plot(dir + "/legend.png", row.options));
        const Difference d =
            Compare(dir + "/plain.png", dir + "/legend.png", row.x0, row.y0, row.x1, row.y1);
        EXPECT_GT(d.inside, 500);
        EXPECT_EQ(0, d.outside);
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(Legend, PositionTakesOnlyTheFourCorners)
{
    ProjectProperty p = DefaultProjectProperty();
    const ProjectPropertyField* field = FindProjectPropertyField("Legend.Position");
    ASSERT_NE(nullptr, field);
    wxString error;
    for (const char* corner : LEGEND_POSITIONS) {
        EXPECT_TRUE(SetPropertyFromText(p, *field, corner, error)) << corner;
        EXPECT_EQ(wxString(corner), GetPropertyAsText(p, *field));
    }
    EXPECT_FALSE(SetPropertyFromText(p, *field, "middle", error));
    EXPECT_EQ("Legend.Position: expected one of top right, top left, bottom right, bottom left, "
              "got \"middle\"",
              error);
    EXPECT_EQ("bottom left", p.legendPosition);
}

} // namespace
