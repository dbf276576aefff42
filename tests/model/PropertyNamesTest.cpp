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
    struct Row
    {
        const char* name;
        const char* text;
        bool ok;
    } rows[] = {
        {"Margin.Left", "80", true},
        {"Margin.Left", "201", false}, // outside 0..200
        {"Margin.Left", "-1", false},
        {"Margin.Left", "1,5", false}, // numbers are locale-free
        {"Margin.Left", "nan", false},
        {"Frame.LineWidth", "0.05", false},
        {"Tick.LineLength", "-200", true}, // ticks may point outwards
        {"Tick.LineLength", "-1000", false},
        {"Tick.LineLength", "inf", false},
        {"Grid.EnabledX", "false", true},
        {"Grid.EnabledX", "FALSE", true},
        {"Grid.EnabledX", "maybe", false},
        {"BGColor", "#00ff0080", true},
        {"BGColor", "#00ff0", false},
        {"BGColor", "00ff00", false},
        {"BGColor", "#00gg00", false},
        {"Tick.Font", "12,bold,DejaVu Sans", true},
        {"Tick.Font", "0", false},
        {"Tick.Font", "big", false},
        {"Tick.FormatY", "%.3f", true},
        {"Legend.Position", "bottom left", true},
        // The pane's rules: an interval above 0, one floating-point conversion.
        {"Grid.IntervalX", "0", false},
        {"Grid.IntervalY", "-2", false},
        {"Grid.IntervalX", "1e-300", true},
        {"Tick.FormatX", "%d", false},
        {"Tick.FormatX", "%f%f", false},
        {"Tick.FormatX", "x", false},
        {"Tick.FormatX", "%+.3e V", true},
        {"Margin.Top", "12.345678912345678", true}, // and reads back to the last digit
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + "=" + row.text);
        const ProjectPropertyField* field = FindProjectPropertyField(row.name);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(SetPropertyFromText(p, *field, row.text, error), row.ok) << error;
        if (!row.ok) {
            EXPECT_TRUE(error.StartsWith(row.name)) << error;
        }
    }
    EXPECT_EQ(p.marginLeft, 80.0);
    EXPECT_EQ(GetPropertyAsText(p, *FindProjectPropertyField("Margin.Top")), "12.345678912345678");
    EXPECT_EQ(p.tickFormatX, "%+.3e V");
    EXPECT_EQ(p.tickLineLength, -200.0);
    EXPECT_FALSE(p.gridEnabledX);
    EXPECT_EQ(p.bgColor, Colour(0, 255, 0, 128));
    EXPECT_EQ(p.tickFont.pointSize, 12);
    EXPECT_TRUE(p.tickFont.IsBold());
    EXPECT_FALSE(p.tickFont.IsItalic());
    EXPECT_EQ(p.tickFont.faceName, "DejaVu Sans");
    EXPECT_EQ(p.legendPosition, "bottom left");
    // A choice outside the list names every choice.
    EXPECT_FALSE(
        SetPropertyFromText(p, *FindProjectPropertyField("Legend.Position"), "middle", error));
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
