// The project file's text: every field written comes back, and a hostile or damaged file is
// refused with a message that says where, leaving what it was read into untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "support/CsvTestUtil.h"
#include "model/PropertyNames.h"
#include "project/ProjectFile.h"

namespace {

// A file with every field away from its default. The structured bindings name every
// member: a field added to these types later fails to compile here until it is saved
// and compared too.
SavedFile EveryFieldFile(const std::string& path)
{
    SavedFile file;
    file.path = wxString::FromUTF8(path);
    file.separator = ';';
    auto& [detect, separator, decimal, requestColumns, split] = file.request;
    detect = false;
    separator = '\t';
    decimal = ',';
    requestColumns = {ColumnRequest{2, ColumnKind::TIME, TimeLayout::EPOCH_MS},
                      ColumnRequest{4, ColumnKind::TEXT, TimeLayout::NONE}};
    split = 3;
    auto& [headerRows, dataRows, dataSources, dialect, splitColumn] = file.option;
    headerRows = 2;
    dataRows = 1234;
    dataSources = {DataSource{true, -1.5, 0.25, 7, 3, wxString::FromUTF8("电压 \"V\"")},
                   DataSource{false, 0, 1, 0, 1, "second"}};
    splitColumn = 5;
    auto& [detected, dialectSeparator, dialectDecimal, quote, terminator, columns] = dialect;
    detected = true;
    dialectSeparator = ';';
    dialectDecimal = ',';
    quote = '"';
    terminator = '\r';
    ColumnFormat format;
    auto& [kind, layout, origin, clockColumn, joinedTo] = format;
    kind = ColumnKind::TIME;
    layout = TimeLayout::DAY_FIRST;
    origin = -1234567890123456789;
    clockColumn = 1;
    joinedTo = -1;
    columns = {format, ColumnFormat{ColumnKind::TIME, TimeLayout::TIME_OF_DAY, 5, -1, 0},
               ColumnFormat{ColumnKind::TEXT, TimeLayout::NONE, 0, -1, -1}};
    auto& [exists, size, device, inode, head, tail] = file.identity;
    exists = true;
    size = 987654321;
    device = 0xFFFFFFFFFFFFFFFFull;
    inode = 42;
    head = 0x8000000000000001ull;
    tail = 7;
    return file;
}

void ExpectSameFile(const SavedFile& a, const SavedFile& b)
{
    EXPECT_EQ(a.path, b.path);
    EXPECT_EQ(a.separator, b.separator);
    const auto& [detect, separator, decimal, requestColumns, split] = a.request;
    EXPECT_EQ(detect, b.request.detect);
    EXPECT_EQ(separator, b.request.separator);
    EXPECT_EQ(decimal, b.request.decimal);
    EXPECT_EQ(requestColumns, b.request.columns);
    EXPECT_EQ(split, b.request.split);
    const auto& [headerRows, dataRows, dataSources, dialect, splitColumn] = a.option;
    EXPECT_EQ(headerRows, b.option.headerRows);
    EXPECT_EQ(dataRows, b.option.dataRows);
    EXPECT_EQ(splitColumn, b.option.splitColumn);
    ASSERT_EQ(dataSources.size(), b.option.dataSources.size());
    for (size_t i = 0; i < dataSources.size(); ++i) {
        const auto& [useDirectVal, xStart, xInterval, columnX, columnY, label] = dataSources[i];
        const DataSource& other = b.option.dataSources[i];
        EXPECT_EQ(useDirectVal, other.useDirectVal);
        EXPECT_EQ(xStart, other.xStart);
        EXPECT_EQ(xInterval, other.xInterval);
        EXPECT_EQ(columnX, other.columnX);
        EXPECT_EQ(columnY, other.columnY);
        EXPECT_EQ(label, other.label);
    }
    const auto& [detected, dialectSeparator, dialectDecimal, quote, terminator, columns] = dialect;
    EXPECT_EQ(detected, b.option.dialect.detected);
    EXPECT_EQ(dialectSeparator, b.option.dialect.separator);
    EXPECT_EQ(dialectDecimal, b.option.dialect.decimal);
    EXPECT_EQ(quote, b.option.dialect.quote);
    EXPECT_EQ(terminator, b.option.dialect.terminator);
    EXPECT_EQ(columns, b.option.dialect.columns);
    const auto& [exists, size, device, inode, head, tail] = a.identity;
    EXPECT_EQ(exists, b.identity.exists);
    EXPECT_EQ(size, b.identity.size);
    EXPECT_EQ(device, b.identity.device);
    EXPECT_EQ(inode, b.identity.inode);
    EXPECT_EQ(head, b.identity.head);
    EXPECT_EQ(tail, b.identity.tail);
}

// A small valid project: one file (beside the project) with two series, and a formula.
SavedProject SmallProject(const std::string& folder)
{
    SavedProject p;
    SavedFile file;
    file.path = wxString::FromUTF8(folder + "/data/a.csv");
    file.option.dataSources = {DataSource{}, DataSource{}};
    p.files.push_back(file);
    SavedSeries s;
    s.label = "a";
    s.file = 0;
    p.series.push_back(s);
    s.source = 1;
    p.series.push_back(s);
    SavedSeries f;
    f.label = "twice";
    f.formula.text = "2*y(1,x)";
    f.formula.size = 10;
    f.formula.sameXAs = 0;
    p.series.push_back(f);
    p.range = PlotRange{-1, 2, -3, 4};
    return p;
}

} // namespace

TEST(ProjectFile, ImportOptionRoundTripsEveryField)
{
    csvtest::TempDir dir;
    SavedProject project;
    project.files = {EveryFieldFile(dir.Path("sub/data.csv")), EveryFieldFile("/elsewhere/b.csv")};
    const std::string text = WriteProjectText(project, dir.Path("p.ardentine"));
    // Beside or below the project: relative, so the folder can move.
    EXPECT_NE(text.find("\"sub/data.csv\""), std::string::npos);
    EXPECT_NE(text.find("\"/elsewhere/b.csv\""), std::string::npos);
    SavedProject back;
    wxString error;
    ASSERT_TRUE(ParseProjectText(text, dir.Dir(), back, error)) << error;
    ASSERT_EQ(back.files.size(), 2u);
    ExpectSameFile(project.files[0], back.files[0]);
    ExpectSameFile(project.files[1], back.files[1]);
}

TEST(ProjectFile, EveryPropertyAndViewRoundTrips)
{
    // Each field of the property table away from its default, in the table's own terms.
    ProjectProperty property = DefaultProjectProperty();
    int n = 0;
    for (const ProjectPropertyField& field : ProjectPropertyFields()) {
        SCOPED_TRACE(field.name);
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
        case PropertyKind::Font: {
            FontDesc& font = property.*field.font;
            font = FontDesc{8 + n,
                            FontFamily::Modern,
                            FontStyle::Slant,
                            300,
                            true,
                            wxString::FromUTF8("Noto Sans CJK JP, ボールド"),
                            1};
            break;
        }
        case PropertyKind::Text:
            property.*field.text = field.choices ? wxString(field.choices[field.choiceCount - 1])
                                                 : wxString::FromUTF8("%.3f ± \"q\"\n") << n;
            break;
        }
    }
    ASSERT_NE(property, DefaultProjectProperty());
    SavedProject project;
    project.property = property;
    project.range = PlotRange{-1e-300, 1e300, 0.1, 0.30000000000000004};
    project.hasTimeOrigin = true;
    project.timeOrigin = 1772755200123456789;
    project.cursors = SavedCursors{true, {-0.5, 1.0 / 7.0}};
    const std::string text = WriteProjectText(project, "/tmp/p.ardentine");
    for (const ProjectPropertyField& field : ProjectPropertyFields())
        EXPECT_NE(text.find("\"" + std::string(field.name) + "\""), std::string::npos)
            << field.name;

    SavedProject back;
    wxString error;
    ASSERT_TRUE(ParseProjectText(text, "/tmp", back, error)) << error;
    EXPECT_EQ(back.property, property);
    EXPECT_EQ(back.range, project.range);
    EXPECT_TRUE(back.hasTimeOrigin);
    EXPECT_EQ(back.timeOrigin, project.timeOrigin);
    EXPECT_TRUE(back.cursors.shown);
    EXPECT_EQ(back.cursors.x[0], -0.5);
    EXPECT_EQ(back.cursors.x[1], 1.0 / 7.0);
}

TEST(ProjectFile, SeriesRoundTrip)
{
    csvtest::TempDir dir;
    SavedProject project = SmallProject(dir.Dir());
    project.series[1].visible = false;
    project.series[1].style = LineStyle{2.5, Colour(1, 2, 3, 4)};
    project.series[1].key = "MSFT";
    project.series[2].formula = SavedFormula{"sin(x)\n+1", -2.5, 1e-3, 77, 1, true, -5};
    const std::string text = WriteProjectText(project, dir.Path("p.ardentine"));
    SavedProject back;
    wxString error;
    ASSERT_TRUE(ParseProjectText(text, dir.Dir(), back, error)) << error;
    ASSERT_EQ(back.series.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const SavedSeries &a = project.series[i], &b = back.series[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(a.label, b.label);
        EXPECT_EQ(a.visible, b.visible);
        EXPECT_EQ(a.style, b.style);
        EXPECT_EQ(a.file, b.file);
        EXPECT_EQ(a.source, b.source);
        EXPECT_EQ(a.key, b.key);
        if (a.file >= 0)
            continue;
        const auto& [text, start, interval, size, sameXAs, hasOrigin, origin] = a.formula;
        EXPECT_EQ(text, b.formula.text);
        EXPECT_EQ(start, b.formula.start);
        EXPECT_EQ(interval, b.formula.interval);
        EXPECT_EQ(size, b.formula.size);
        EXPECT_EQ(sameXAs, b.formula.sameXAs);
        EXPECT_EQ(hasOrigin, b.formula.hasTimeOrigin);
        EXPECT_EQ(origin, b.formula.timeOrigin);
    }
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
    const struct
    {
        const char* name;
        std::string text;
        const char* message;
    } rows[] = {
        {"empty", "", "not complete JSON"},
        {"truncated", valid.substr(0, valid.size() / 2), "not complete JSON"},
        {"not JSON at all",
         "\x7f"
         "ELF\x02\x01",
         "not complete JSON"},
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
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SavedProject out;
        out.cursors.x[0] = 99; // must stay
        wxString error;
        EXPECT_FALSE(ParseProjectText(row.text, "/data", out, error));
        EXPECT_NE(error.Find(row.message), wxNOT_FOUND) << error;
        EXPECT_TRUE(out.series.empty() && out.files.empty());
        EXPECT_EQ(out.cursors.x[0], 99);
    }
    SavedProject out;
    wxString error;
    EXPECT_TRUE(ParseProjectText(valid, "/data", out, error)) << error;
}

// The project file itself: never a FIFO (no writer would ever come) or a device.
TEST(ProjectFile, OnlyRegularFilesAreRead)
{
    csvtest::TempDir dir;
    const std::string fifo = dir.Path("p.ardentine");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct
    {
        std::string path;
        const char* message;
    } rows[] = {
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {dir.Dir(), "not a regular file"},
        {dir.Path("none.ardentine"), "can't be opened"},
    };
    for (const auto& row : rows) {
        SavedProject out;
        wxString error;
        EXPECT_FALSE(ReadProjectFile(wxString::FromUTF8(row.path), out, error)) << row.path;
        EXPECT_NE(error.Find(row.message), wxNOT_FOUND) << error;
    }
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
