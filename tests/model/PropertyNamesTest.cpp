#include <gtest/gtest.h>

#include <set>

#include "model/PropertyNames.h"

namespace {

TEST(PropertyNames, EveryFieldRoundTripsThroughText)
{
    std::set<std::string> names;
    ProjectProperty defaults = DefaultProjectProperty();
    for (const auto& field : ProjectPropertyFields()) {
        SCOPED_TRACE(field.name);
        EXPECT_TRUE(names.insert(field.name).second) << "duplicate name";
        ProjectProperty copy;
        wxString error;
        if (wxString(field.name).StartsWith("Grid.Interval")) {
            // The default -1 means "automatic" and is below what a user may enter.
            EXPECT_FALSE(SetPropertyFromText(copy, field, "-1", error));
            continue;
        }
        ASSERT_TRUE(SetPropertyFromText(copy, field, GetPropertyAsText(defaults, field), error))
            << error;
        EXPECT_EQ(GetPropertyAsText(copy, field), GetPropertyAsText(defaults, field));
    }
    EXPECT_EQ(names.size(), 35u); // 30 of the graph, 5 of the legend
}

TEST(PropertyNames, ValuesAreParsedByKind)
{
    ProjectProperty p;
    wxString error;
    // Numbers are locale-free and within limits (ticks may point outwards); colours are
    // #rrggbb with an optional alpha; fonts are size, style and face.
    const struct
    {
        const char* name;
        std::vector<const char*> accepted, refused;
    } rows[] = {
        {"Margin.Left", {"80"}, {"201", "-1", "1,5", "nan"}},
        {"Margin.Top", {"12.345678912345678"}, {}}, // and reads back to the last digit
        {"Frame.LineWidth", {}, {"0.05"}},
        {"Tick.LineLength", {"-200"}, {"-1000", "inf"}},
        {"Grid.EnabledX", {"FALSE", "false"}, {"maybe"}},
        {"BGColor", {"#00ff0080"}, {"#00ff0", "00ff00", "#00gg00"}},
        {"Tick.Font", {"12,bold,DejaVu Sans"}, {"0", "big"}},
        {"Tick.FormatY", {"%.3f"}, {}},
        // The pane's rules: an interval above 0, one floating-point conversion.
        {"Grid.IntervalX", {"1e-300"}, {"0"}},
        {"Grid.IntervalY", {}, {"-2"}},
        {"Tick.FormatX", {"%+.3e V"}, {"%d", "%f%f", "x"}},
        {"Legend.Position", {"bottom left"}, {"middle"}},
    };
    for (const auto& row : rows) {
        const ProjectPropertyField* field = FindProjectPropertyField(row.name);
        ASSERT_NE(field, nullptr) << row.name;
        for (const auto* texts : {&row.accepted, &row.refused}) {
            for (const char* text : *texts) {
                SCOPED_TRACE(std::string(row.name) + "=" + text);
                const bool ok = texts == &row.accepted;
                EXPECT_EQ(SetPropertyFromText(p, *field, text, error), ok) << error;
                EXPECT_TRUE(ok || error.StartsWith(row.name)) << error;
            }
        }
    }
    EXPECT_EQ((std::vector<double>{p.marginLeft, p.tickLineLength, double(p.tickFont.pointSize)}),
              (std::vector<double>{80, -200, 12}));
    EXPECT_EQ(GetPropertyAsText(p, *FindProjectPropertyField("Margin.Top")), "12.345678912345678");
    EXPECT_EQ(p.tickFormatX, "%+.3e V");
    EXPECT_FALSE(p.gridEnabledX);
    EXPECT_EQ(p.bgColor, Colour(0, 255, 0, 128));
    EXPECT_TRUE(p.tickFont.IsBold() && !p.tickFont.IsItalic());
    EXPECT_EQ(p.tickFont.faceName, "DejaVu Sans");
    // A choice outside the list names every choice.
    EXPECT_EQ(error, "Legend.Position: expected one of top right, top left, bottom right, "
                     "bottom left, got \"middle\"");
    EXPECT_EQ(p.legendPosition, "bottom left");
    // A refusal says what the field wants.
    EXPECT_FALSE(SetPropertyFromText(p, *FindProjectPropertyField("Grid.IntervalX"), "0", error));
    EXPECT_EQ(error, "Grid.IntervalX: expected a number above 0, got \"0\"");
    EXPECT_FALSE(SetPropertyFromText(p, *FindProjectPropertyField("Tick.FormatY"), "%d", error));
    EXPECT_EQ(error, "Tick.FormatY: expected a format with one floating-point conversion, such "
                     "as %.2f, got \"%d\"");
    EXPECT_EQ(FindProjectPropertyField("Margin.top"), nullptr); // names are case-sensitive
}

} // namespace
