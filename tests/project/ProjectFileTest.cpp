// The project file's text: every field written comes back, and a hostile or damaged file is
// refused with a message that says where, leaving what it was read into untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "support/CsvTestUtil.h"
#include "model/PropertyNames.h"
#include "project/ProjectFile.h"

namespace {

// Each member by name: a member added to these types later fails to compile here (and
// EveryFieldFile's aggregates warn) until the round trip below fills and compares it too.
auto Tie(const DataSource& s)
{
    const auto& [direct, start, interval, columnX, columnY, label] = s;
    return std::tie(direct, start, interval, columnX, columnY, label);
}

auto Tie(const SavedSeries& s)
{
    const auto& [label, visible, style, file, source, key, formula] = s;
    const auto& [text, start, interval, size, sameXAs, hasOrigin, origin] = formula;
    return std::tie(label, visible, style, file, source, key, text, start, interval, size, sameXAs,
                    hasOrigin, origin);
}

auto Tie(const SavedFile& f);

template <class T> auto Tie(const std::vector<T>& items)
{
    std::vector<decltype(Tie(items[0]))> tied;
    for (const T& item : items)
        tied.push_back(Tie(item));
    return tied;
}

auto Tie(const SavedFile& f)
{
    const auto& [path, separator, request, option, identity] = f;
    const auto& [detect, askedSeparator, askedDecimal, askedColumns, split] = request;
    const auto& [headerRows, dataRows, sources, dialect, splitColumn] = option;
    const auto& [detected, dialectSeparator, decimal, quote, terminator, columns] = dialect;
    const auto& [exists, size, device, inode, head, tail] = identity;
    return std::make_tuple(std::tie(path, separator, detect, askedSeparator, askedDecimal,
                                    askedColumns, split, headerRows, dataRows, splitColumn),
                           std::tie(detected, dialectSeparator, decimal, quote, terminator, columns,
                                    exists, size, device, inode, head, tail),
                           Tie(sources));
}

// A file with every field away from its default.
SavedFile EveryFieldFile(const std::string& path)
{
    SavedFile file;
    file.path = wxString::FromUTF8(path);
    file.separator = ';';
    const std::vector<ColumnRequest> asked = {
        ColumnRequest{2, ColumnKind::TIME, TimeLayout::EPOCH_MS},
        ColumnRequest{4, ColumnKind::TEXT, TimeLayout::NONE}};
    file.request = DialectRequest{false, '\t', ',', asked, 3};
    const std::vector<ColumnFormat> columns = {
        ColumnFormat{ColumnKind::TIME, TimeLayout::DAY_FIRST, -1234567890123456789, 1, -1},
        ColumnFormat{ColumnKind::TIME, TimeLayout::TIME_OF_DAY, 5, -1, 0},
        ColumnFormat{ColumnKind::TEXT, TimeLayout::NONE, 0, -1, -1}};
    const std::vector<DataSource> sources = {
        DataSource{true, -1.5, 0.25, 7, 3, wxString::FromUTF8("电压 \"V\"")},
        DataSource{false, 0, 1, 0, 1, "second"}};
    file.option =
        CSVImportOption{2, 1234, sources, CSVDialect{true, ';', ',', '"', '\r', columns}, 5};
    file.identity =
        FileIdentity{true, 987654321, 0xFFFFFFFFFFFFFFFFull, 42, 0x8000000000000001ull, 7};
    return file;
}

// A small valid project: one file (beside the project) with two series, and a formula.
SavedProject SmallProject(const std::string& folder)
{
    SavedProject p;
    p.files.resize(1);
    p.files[0].path = wxString::FromUTF8(folder + "/data/a.csv");
    p.files[0].option.dataSources.resize(2);
    p.series = {SavedSeries{"a", true, {}, 0, 0, "", {}}, SavedSeries{"a", true, {}, 0, 1, "", {}},
                SavedSeries{"twice", true, {}, -1, 0, "", {"2*y(1,x)", 0, 1, 10, 0, false, 0}}};
    p.range = PlotRange{-1, 2, -3, 4};
    return p;
}

} // namespace

// Every field of the files, series, properties and view comes back; paths beside or below
// the project are relative, so the folder can move.
TEST(ProjectFile, EveryFieldRoundTrips)
{
    csvtest::TempDir dir;
    SavedProject project = SmallProject(dir.Dir());
    project.files = {EveryFieldFile(dir.Path("sub/data.csv")), EveryFieldFile("/elsewhere/b.csv")};
    project.series[1].visible = false;
    project.series[1].style = LineStyle{2.5, Colour(1, 2, 3, 4)};
    project.series[1].key = "MSFT";
    project.series[2].formula = SavedFormula{"sin(x)\n+1", -2.5, 1e-3, 77, 1, true, -5};
    // Each field of the property table away from its default, in the table's own terms.
    ProjectProperty& property = project.property;
    const FontDesc font{8,
                        FontFamily::Modern,
                        FontStyle::Slant,
                        300,
                        true,
                        wxString::FromUTF8("Noto Sans CJK JP, ボールド"),
                        1};
    int n = 0;
    for (const ProjectPropertyField& field : ProjectPropertyFields()) {
        ++n;
        switch (field.kind) {
        case PropertyKind::Colour:
            property.*field.colour = Colour(uint8_t(n), uint8_t(2 * n), uint8_t(3 * n), 200);
            break;
        case PropertyKind::Double:
            property.*field.number = std::max(field.min, 0.1) + 0.1 * n + 1.0 / 3.0;
            break;
        case PropertyKind::Bool:
            property.*field.flag = !(property.*field.flag);
            break;
        case PropertyKind::Font:
            property.*field.font = font;
            (property.*field.font).pointSize += n;
            break;
        case PropertyKind::Text:
            property.*field.text = field.choices ? wxString(field.choices[field.choiceCount - 1])
                                                 : wxString::FromUTF8("%.3f ± \"q\"\n") << n;
            break;
        }
    }
    ASSERT_NE(property, DefaultProjectProperty());
    project.range = PlotRange{-1e-300, 1e300, 0.1, 0.30000000000000004};
    project.hasTimeOrigin = true;
    project.timeOrigin = 1772755200123456789;
    project.cursors = SavedCursors{true, {-0.5, 1.0 / 7.0}};

    const std::string text = WriteProjectText(project, dir.Path("p.ardentine"));
    EXPECT_NE(text.find("\"sub/data.csv\""), std::string::npos);
    EXPECT_NE(text.find("\"/elsewhere/b.csv\""), std::string::npos);
    for (const ProjectPropertyField& field : ProjectPropertyFields())
        EXPECT_NE(text.find("\"" + std::string(field.name) + "\""), std::string::npos)
            << field.name;
    SavedProject back;
    wxString error;
    ASSERT_TRUE(ParseProjectText(text, dir.Dir(), back, error)) << error;
    EXPECT_TRUE(Tie(project.files) == Tie(back.files));
    EXPECT_TRUE(Tie(project.series) == Tie(back.series));
    EXPECT_EQ(back.property, property);
    EXPECT_EQ(back.range, project.range);
    EXPECT_EQ(std::tie(back.hasTimeOrigin, back.timeOrigin, back.cursors.shown, back.cursors.x[0],
                       back.cursors.x[1]),
              std::make_tuple(true, project.timeOrigin, true, -0.5, 1.0 / 7.0));
}

// Each row changes a valid project's text; the reader must refuse it with a message that
// names the fault, and leave what it reads into as it was.
TEST(ProjectFile, HostileFilesAreRefused)
{
    const std::string valid = WriteProjectText(SmallProject("/data"), "/data/p.ardentine");
    // The first `from` after `anchor`.
    auto replaceAfter = [&](const std::string& anchor, const std::string& from,
                            const std::string& to) {
        std::string text = valid;
        const size_t at = text.find(from, text.find(anchor));
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    auto replace = [&](const std::string& from, const std::string& to) {
        return replaceAfter("{", from, to);
    };
    std::string manySeries = "{\"format\":\"Ardentine project\",\"version\":1,\"files\":[],"
                             "\"series\":[";
    for (size_t i = 0; i <= MAX_PROJECT_SERIES; ++i)
        manySeries += std::string(i ? "," : "") + "{}";
    manySeries += "]}";
    // name, text, what the message says
    const std::tuple<const char*, std::string, const char*> rows[] = {
        {"empty", "", "not complete JSON"},
        {"truncated", valid.substr(0, valid.size() / 2), "not complete JSON"},
        {"not JSON at all", "\177ELF\2\1", "not complete JSON"},
        {"other JSON", "[1,2,3]", "an object"},
        {"another program's", "{\"format\":\"x\"}", "not an Ardentine project"},
        {"newer version", replace("\"version\": 1", "\"version\": 7"), "format version 7"},
        {"version as text", replace("\"version\": 1", "\"version\": \"1\""), "version"},
        {"visible as text", replace("\"visible\": true", "\"visible\": \"yes\""),
         "series[0].visible"},
        {"width out of range", replace("\"width\": 1.0", "\"width\": 1e9"), "series[0].width"},
        {"NaN range", replaceAfter("plotRange", "-1.0", "NaN"), "not complete JSON"},
        {"infinite range", replaceAfter("plotRange", "-1.0", "-1e999"), "out of range"},
        {"empty range", replaceAfter("plotRange", "2.0", "-1.0"), "plotRange"},
        {"a billion points", replace("\"size\": 10", "\"size\": 1000000000000"),
         "series[2].formula.size"},
        {"too many series", manySeries, "more than 10000"},
        {"nested a thousand deep", std::string(1000, '[') + std::string(1000, ']'),
         "nested more than"},
        {"path through ..", replace("\"data/a.csv\"", "\"data/../../etc/passwd\""),
         "files[0].path"},
        {"absolute path through ..", replace("\"data/a.csv\"", "\"/data/../etc/passwd\""),
         "files[0].path"},
        {"empty path", replace("\"data/a.csv\"", "\"\""), "files[0].path"},
        {"NUL in a path", replace("\"data/a.csv\"", "\"a\\u0000b\""), "files[0].path"},
        {"formula that does not parse", replace("2*y(1,x)", "2*(y(1,x)"),
         "Failed to parse the formula"},
        {"series of a file that is not there", replace("\"file\": 0", "\"file\": 3"),
         "series[0].file"},
        {"data source that is not there", replace("\"source\": 1", "\"source\": 2"),
         "series[1].source"},
        {"same X as a later series", replace("\"sameXAs\": 0", "\"sameXAs\": 5"), "sameXAs"},
        {"column below 0", replace("\"columnY\": 0", "\"columnY\": -1"), "columnY"},
        {"separator of two characters", replace("\"separator\": \",\"", "\"separator\": \",,\""),
         "separator"},
        {"unknown decimal mark", replace("\"decimal\": \"\"", "\"decimal\": \"x\""), "decimal"},
        {"colour without #", replace("\"#0000FF\"", "\"0000FF\""), "colour"},
        {"font size 0", replaceAfter("Tick.Font", "\"size\": 10,", "\"size\": 0,"), "Font.size"},
        {"legend position unknown", replace("\"top right\"", "\"middle\""), "Legend.Position"},
        {"invalid UTF-8 label", replace("\"label\": \"a\"", "\"label\": \"\xff\xfe\""),
         "not complete JSON"},
    };
    for (const auto& [name, text, message] : rows) {
        SCOPED_TRACE(name);
        SavedProject out;
        out.cursors.x[0] = 99; // must stay
        wxString error;
        EXPECT_FALSE(ParseProjectText(text, "/data", out, error));
        EXPECT_NE(error.Find(message), wxNOT_FOUND) << error;
        EXPECT_TRUE(out.series.empty() && out.files.empty());
        EXPECT_EQ(out.cursors.x[0], 99);
    }
    SavedProject out;
    wxString error;
    EXPECT_TRUE(ParseProjectText(valid, "/data", out, error)) << error;
}

TEST(ProjectFile, SaveReplacesWholeOrReports)
{
    csvtest::TempDir dir;
    const std::string path = dir.Path("p.ardentine");
    dir.Write("p.ardentine", std::string(100000, 'x'));
    wxString error;
    const SavedProject project = SmallProject(dir.Dir());
    ASSERT_TRUE(SaveProjectFile(wxString::FromUTF8(path), project, error)) << error;
    EXPECT_EQ(csvtest::ReadFile(path), WriteProjectText(project, wxString::FromUTF8(path)));

    // A folder that is a file: nothing can be created there.
    dir.Write("file", "x");
    const wxString bad = wxString::FromUTF8(dir.Path("file/p.ardentine"));
    EXPECT_FALSE(SaveProjectFile(bad, project, error));
    EXPECT_NE(error.Find("Can't save the project"), wxNOT_FOUND);
}
