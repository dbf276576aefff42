#include <gtest/gtest.h>

#include <set>
#include <tuple>

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
    // #rrggbb with an optional alpha; fonts are size, style and face. What is accepted reads
    // back as given, letter case aside, numbers to the last digit.
    // name, accepted, refused
    const std::tuple<const char*, std::vector<const char*>, std::vector<const char*>> rows[] = {
        {"Margin.Left", {"80"}, {"201", "-1", "1,5", "nan"}},
        {"Margin.Top", {"12.345678912345678"}, {}},
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
    for (const auto& [name, accepted, refused] : rows) {
        const ProjectPropertyField* field = FindProjectPropertyField(name);
        ASSERT_NE(field, nullptr) << name;
        for (const char* text : accepted) {
            SCOPED_TRACE(std::string(name) + "=" + text);
            EXPECT_TRUE(SetPropertyFromText(p, *field, text, error)) << error;
            EXPECT_EQ(GetPropertyAsText(p, *field).Lower(), wxString(text).Lower());
        }
        for (const char* text : refused) {
            SCOPED_TRACE(std::string(name) + "=" + text);
            EXPECT_FALSE(SetPropertyFromText(p, *field, text, error));
            EXPECT_TRUE(error.StartsWith(name)) << error;
        }
    }
    // A choice outside the list names every choice.
    EXPECT_EQ(error, "Legend.Position: expected one of top right, top left, bottom right, "
                     "bottom left, got \"middle\"");
    // A refusal says what the field wants.
    EXPECT_FALSE(SetPropertyFromText(p, *FindProjectPropertyField("Grid.IntervalX"), "0", error));
    EXPECT_EQ(error, "Grid.IntervalX: expected a number above 0, got \"0\"");
    EXPECT_FALSE(SetPropertyFromText(p, *FindProjectPropertyField("Tick.FormatY"), "%d", error));
    EXPECT_EQ(error, "Tick.FormatY: expected a format with one floating-point conversion, such "
                     "as %.2f, got \"%d\"");
    EXPECT_EQ(FindProjectPropertyField("Margin.top"), nullptr); // names are case-sensitive
}

} // namespace
