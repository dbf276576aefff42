#include "project/ProjectFile.h"

#include <cmath>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <wx/filename.h>
#include <wx/intl.h>

#include "base/AtomicFile.h"
#include "base/FileUtil.h"
#include "formula/FormulaCalculator.h"
#include "model/PropertyNames.h"

const char* const PROJECT_EXTENSION = "ardentine";

namespace {

using Json = nlohmann::ordered_json;

// The first member of the file: what it is, so that some other JSON is refused by name.
constexpr const char* FORMAT_NAME = "Ardentine project";

std::string Utf8(const wxString& text)
{
    return text.utf8_string();
}

// ---- Writing ---------------------------------------------------------------------------

std::string CharText(char c)
{
    return c ? std::string(1, c) : std::string();
}

// "none" for NONE, which TimeLayoutFromName does not read: the reader knows it.
std::string LayoutName(TimeLayout layout)
{
    return TimeLayoutName(layout);
}

Json FontJson(const FontDesc& font)
{
    return Json{{"size", font.pointSize},      {"family", int(font.family)},
                {"style", int(font.style)},    {"weight", font.weight},
                {"underline", font.underline}, {"face", Utf8(font.faceName)},
                {"encoding", font.encoding}};
}

Json PropertiesJson(const ProjectProperty& property)
{
    Json out = Json::object();
    for (const ProjectPropertyField& field : ProjectPropertyFields()) {
        switch (field.kind) {
        case PropertyKind::Colour:
            out[field.name] = Utf8(FormatColour(property.*field.colour));
            break;
        case PropertyKind::Double:
            out[field.name] = property.*field.number;
            break;
        case PropertyKind::Bool:
            out[field.name] = property.*field.flag;
            break;
        case PropertyKind::Font:
            out[field.name] = FontJson(property.*field.font);
            break;
        case PropertyKind::Text:
            out[field.name] = Utf8(property.*field.text);
            break;
        }
    }
    return out;
}

Json RequestJson(const DialectRequest& request)
{
    Json columns = Json::array();
    for (const ColumnRequest& c : request.columns)
        columns.push_back({{"column", c.column},
                           {"kind", ColumnKindName(c.kind)},
                           {"layout", LayoutName(c.layout)}});
    return Json{{"detect", request.detect},
                {"separator", CharText(request.separator)},
                {"decimal", CharText(request.decimal)},
                {"columns", columns},
                {"split", request.split}};
}

Json DialectJson(const CSVDialect& dialect)
{
    Json columns = Json::array();
    for (const ColumnFormat& c : dialect.columns)
        columns.push_back({{"kind", ColumnKindName(c.kind)},
                           {"layout", LayoutName(c.layout)},
                           {"origin", c.origin},
                           {"clockColumn", c.clockColumn},
                           {"joinedTo", c.joinedTo}});
    return Json{{"detected", dialect.detected},
                {"separator", CharText(dialect.separator)},
                {"decimal", CharText(dialect.decimal)},
                {"quote", CharText(dialect.quote)},
                {"terminator", CharText(dialect.terminator)},
                {"columns", columns}};
}

Json OptionJson(const CSVImportOption& option)
{
    Json sources = Json::array();
    for (const DataSource& s : option.dataSources)
        sources.push_back({{"useDirectVal", s.useDirectVal},
                           {"xStart", s.xStart},
                           {"xInterval", s.xInterval},
                           {"columnX", s.columnX},
                           {"columnY", s.columnY},
                           {"label", Utf8(s.label)}});
    return Json{{"headerRows", option.headerRows},
                {"dataRows", option.dataRows},
                {"dataSources", sources},
                {"dialect", DialectJson(option.dialect)},
                {"splitColumn", option.splitColumn}};
}

Json IdentityJson(const FileIdentity& id)
{
    return Json{{"exists", id.exists}, {"size", id.size}, {"device", id.device},
                {"inode", id.inode},   {"head", id.head}, {"tail", id.tail}};
}

// The folder of a project file, absolute, with a separator at the end.
std::string FolderOf(const wxString& projectPath)
{
    wxFileName name(projectPath);
    name.MakeAbsolute();
    return Utf8(name.GetPath(wxPATH_GET_SEPARATOR));
}

// Relative to the project's folder when the file lies beside or below it.
std::string StoredPath(const wxString& path, const std::string& folder)
{
    wxFileName name(path);
    name.MakeAbsolute();
    const std::string full = Utf8(name.GetFullPath());
    if (!folder.empty() && full.size() > folder.size() &&
        full.compare(0, folder.size(), folder) == 0)
        return full.substr(folder.size());
    return full;
}

Json SeriesJson(const SavedSeries& s)
{
    Json out{{"label", Utf8(s.label)},
             {"visible", s.visible},
             {"colour", Utf8(FormatColour(s.style.colour))},
             {"width", s.style.width}};
    if (s.file >= 0) {
        out["file"] = s.file;
        out["source"] = s.source;
        out["key"] = s.key;
        return out;
    }
    const SavedFormula& f = s.formula;
    Json formula{{"text", Utf8(f.text)},
                 {"start", f.start},
                 {"interval", f.interval},
                 {"size", f.size},
                 {"sameXAs", f.sameXAs}};
    if (f.hasTimeOrigin)
        formula["timeOrigin"] = f.timeOrigin;
    out["formula"] = formula;
    return out;
}

} // namespace

std::string WriteProjectText(const SavedProject& project, const wxString& projectPath)
{
    const std::string folder = FolderOf(projectPath);
    Json files = Json::array();
    for (const SavedFile& f : project.files)
        files.push_back({{"path", StoredPath(f.path, folder)},
                         {"separator", CharText(char(f.separator))},
                         {"request", RequestJson(f.request)},
                         {"option", OptionJson(f.option)},
                         {"identity", IdentityJson(f.identity)}});
    Json series = Json::array();
    for (const SavedSeries& s : project.series)
        series.push_back(SeriesJson(s));
    const PlotRange& r = project.range;
    Json out{{"format", FORMAT_NAME},
             {"version", PROJECT_FORMAT_VERSION},
             {"files", files},
             {"series", series},
             {"properties", PropertiesJson(project.property)},
             {"plotRange", {r.minX, r.maxX, r.minY, r.maxY}}};
    if (project.hasTimeOrigin)
        out["timeOrigin"] = project.timeOrigin;
    out["cursors"] = {
        {"shown", project.cursors.shown}, {"a", project.cursors.x[0]}, {"b", project.cursors.x[1]}};
    return out.dump(1, '\t') + "\n";
}

// ---- Reading ---------------------------------------------------------------------------

namespace {

// What is wrong and where ("series[2].width").
struct Fault
{
    std::string where;
    wxString what;
};

[[noreturn]] void Fail(const std::string& where, const wxString& what)
{
    throw Fault{where, what};
}

std::string At(const std::string& where, const char* key)
{
    return where.empty() ? std::string(key) : where + "." + key;
}

std::string At(const std::string& where, size_t index)
{
    return where + "[" + std::to_string(index) + "]";
}

void ExpectObject(const Json& j, const std::string& where)
{
    if (!j.is_object())
        Fail(where, _("an object {...} expected"));
}

const Json& Member(const Json& object, const char* key, const std::string& where)
{
    const auto found = object.find(key);
    if (found == object.end())
        Fail(At(where, key), _("missing"));
    return *found;
}

const Json& Array(const Json& object, const char* key, const std::string& where, size_t max)
{
    const Json& j = Member(object, key, where);
    if (!j.is_array())
        Fail(At(where, key), _("a list [...] expected"));
    if (j.size() > max)
        Fail(At(where, key), wxString::Format(_("more than %zu entries"), max));
    return j;
}

bool Bool(const Json& object, const char* key, const std::string& where)
{
    const Json& j = Member(object, key, where);
    if (!j.is_boolean())
        Fail(At(where, key), _("true or false expected"));
    return j.get<bool>();
}

double Number(const Json& object, const char* key, const std::string& where)
{
    const Json& j = Member(object, key, where);
    if (!j.is_number() || !std::isfinite(j.get<double>()))
        Fail(At(where, key), _("a finite number expected"));
    return j.get<double>();
}

int64_t Integer(const Json& j, const std::string& where, int64_t min, int64_t max)
{
    bool ok = false;
    int64_t value = 0;
    if (j.is_number_unsigned()) {
        const uint64_t u = j.get<uint64_t>();
        ok = u <= uint64_t(std::numeric_limits<int64_t>::max());
        value = ok ? int64_t(u) : 0;
    } else if (j.is_number_integer()) {
        ok = true;
        value = j.get<int64_t>();
    }
    if (!ok || value < min || value > max)
        Fail(where, wxString::Format(_("a whole number from %lld to %lld expected"),
                                     static_cast<long long>(min), static_cast<long long>(max)));
    return value;
}

int64_t Integer(const Json& object, const char* key, const std::string& where, int64_t min,
                int64_t max)
{
    return Integer(Member(object, key, where), At(where, key), min, max);
}

uint64_t Unsigned(const Json& object, const char* key, const std::string& where)
{
    const Json& j = Member(object, key, where);
    if (!j.is_number_unsigned() && !(j.is_number_integer() && j.get<int64_t>() >= 0))
        Fail(At(where, key), _("a whole number from 0 expected"));
    return j.get<uint64_t>();
}

std::string Text(const Json& object, const char* key, const std::string& where)
{
    const Json& j = Member(object, key, where);
    if (!j.is_string())
        Fail(At(where, key), _("a text \"...\" expected"));
    return j.get<std::string>();
}

wxString WideText(const Json& object, const char* key, const std::string& where)
{
    const std::string text = Text(object, key, where);
    return wxString::FromUTF8(text.data(), text.size());
}

// One character of `allowed`, or "" for 0 when `allowed` starts with '\0'.
char Char(const Json& object, const char* key, const std::string& where, const std::string& allowed)
{
    const std::string text = Text(object, key, where);
    if (text.empty() && !allowed.empty() && allowed[0] == '\0')
        return 0;
    if (text.size() != 1 || text[0] == '\0' || allowed.find(text[0]) == std::string::npos)
        Fail(At(where, key), _("not a character that is allowed here"));
    return text[0];
}

ColumnKind Kind(const Json& object, const std::string& where)
{
    const std::string name = Text(object, "kind", where);
    ColumnKind kind = ColumnKind::NUMBER;
    if (ColumnKindFromName(name, kind))
        return kind;
    Fail(At(where, "kind"), _("number, time or text expected"));
}

TimeLayout Layout(const Json& object, const std::string& where)
{
    const std::string name = Text(object, "layout", where);
    TimeLayout layout = TimeLayout::NONE;
    if (name != LayoutName(TimeLayout::NONE) && !TimeLayoutFromName(name, layout))
        Fail(At(where, "layout"), _("not a time layout"));
    return layout;
}

Colour ColourValue(const Json& object, const char* key, const std::string& where)
{
    Colour colour;
    if (!ParseColour(WideText(object, key, where), colour))
        Fail(At(where, key), _("a colour #RRGGBB or #RRGGBBAA expected"));
    return colour;
}

FontDesc FontValue(const Json& j, const std::string& where)
{
    ExpectObject(j, where);
    FontDesc font;
    font.pointSize = int(Integer(j, "size", where, 1, 1000));
    font.family = FontFamily(
        Integer(j, "family", where, int(FontFamily::Default), int(FontFamily::Teletype)));
    const int64_t style = Integer(j, "style", where, int(FontStyle::Normal), int(FontStyle::Slant));
    if (style != int(FontStyle::Normal) && style != int(FontStyle::Italic) &&
        style != int(FontStyle::Slant))
        Fail(At(where, "style"), _("not a font style"));
    font.style = FontStyle(style);
    font.weight = int(Integer(j, "weight", where, 1, 1000));
    font.underline = Bool(j, "underline", where);
    font.faceName = WideText(j, "face", where);
    font.encoding = int(Integer(j, "encoding", where, -1, 1000));
    return font;
}

// Names missing from the file keep their defaults; names this version does not know
// are left alone (a later version's additions).
ProjectProperty PropertiesValue(const Json& j, const std::string& where)
{
    ExpectObject(j, where);
    const ProjectProperty defaults = DefaultProjectProperty();
    ProjectProperty property = defaults;
    for (const ProjectPropertyField& field : ProjectPropertyFields()) {
        if (!j.contains(field.name))
            continue;
        const std::string at = At(where, field.name);
        switch (field.kind) {
        case PropertyKind::Colour:
            property.*field.colour = ColourValue(j, field.name, where);
            break;
        case PropertyKind::Double: {
            const double value = Number(j, field.name, where);
            // A default outside the limits (-1: no fixed grid interval) stays allowed.
            if (!IsWithinLimits(field, value) && value != defaults.*field.number)
                Fail(at, wxString::Format(_("outside %g to %g"), field.min, field.max));
            property.*field.number = value;
            break;
        }
        case PropertyKind::Bool:
            property.*field.flag = Bool(j, field.name, where);
            break;
        case PropertyKind::Font:
            property.*field.font = FontValue(j[field.name], at);
            break;
        case PropertyKind::Text: {
            wxString error;
            if (!SetPropertyFromText(property, field, WideText(j, field.name, where), error))
                Fail(at, error);
            break;
        }
        }
    }
    return property;
}

DialectRequest RequestValue(const Json& j, const std::string& where)
{
    ExpectObject(j, where);
    DialectRequest request;
    request.detect = Bool(j, "detect", where);
    request.separator = Char(j, "separator", where, std::string("\0,;\t ", 5));
    request.decimal = Char(j, "decimal", where, std::string("\0.,", 3));
    const Json& columns = Array(j, "columns", where, MAX_PROJECT_LIST);
    for (size_t i = 0; i < columns.size(); ++i) {
        const std::string at = At(At(where, "columns"), i);
        ExpectObject(columns[i], at);
        request.columns.push_back(
            ColumnRequest{int(Integer(columns[i], "column", at, 0, INT32_MAX)),
                          Kind(columns[i], at), Layout(columns[i], at)});
    }
    request.split = int(Integer(j, "split", where, DialectRequest::SPLIT_DETECT, INT32_MAX));
    return request;
}

CSVDialect DialectValue(const Json& j, const std::string& where)
{
    ExpectObject(j, where);
    CSVDialect dialect;
    dialect.detected = Bool(j, "detected", where);
    dialect.separator = Char(j, "separator", where, ",;\t ");
    dialect.decimal = Char(j, "decimal", where, ".,");
    dialect.quote = Char(j, "quote", where, std::string("\0\"", 2));
    dialect.terminator = Char(j, "terminator", where, "\n\r");
    const Json& columns = Array(j, "columns", where, MAX_PROJECT_LIST);
    const int64_t last = int64_t(columns.size()) - 1;
    for (size_t i = 0; i < columns.size(); ++i) {
        const std::string at = At(At(where, "columns"), i);
        const Json& c = columns[i];
        ExpectObject(c, at);
        ColumnFormat format;
        format.kind = Kind(c, at);
        format.layout = Layout(c, at);
        format.origin = Integer(c, "origin", at, std::numeric_limits<int64_t>::min(),
                                std::numeric_limits<int64_t>::max());
        format.clockColumn = int32_t(Integer(c, "clockColumn", at, -1, last));
        format.joinedTo = int32_t(Integer(c, "joinedTo", at, -1, last));
        dialect.columns.push_back(format);
    }
    return dialect;
}

CSVImportOption OptionValue(const Json& j, const std::string& where)
{
    ExpectObject(j, where);
    CSVImportOption option;
    option.headerRows = int32_t(Integer(j, "headerRows", where, 0, INT32_MAX));
    option.dataRows = int32_t(Integer(j, "dataRows", where, 0, INT32_MAX));
    const Json& sources = Array(j, "dataSources", where, MAX_PROJECT_LIST);
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string at = At(At(where, "dataSources"), i);
        const Json& s = sources[i];
        ExpectObject(s, at);
        DataSource source;
        source.useDirectVal = Bool(s, "useDirectVal", at);
        source.xStart = Number(s, "xStart", at);
        source.xInterval = Number(s, "xInterval", at);
        source.columnX = int32_t(Integer(s, "columnX", at, 0, INT32_MAX));
        source.columnY = int32_t(Integer(s, "columnY", at, 0, INT32_MAX));
        source.label = WideText(s, "label", at);
        option.dataSources.push_back(source);
    }
    option.dialect = DialectValue(Member(j, "dialect", where), At(where, "dialect"));
    option.splitColumn = int32_t(Integer(j, "splitColumn", where, -1, INT32_MAX));
    return option;
}

FileIdentity IdentityValue(const Json& j, const std::string& where)
{
    ExpectObject(j, where);
    FileIdentity id;
    id.exists = Bool(j, "exists", where);
    id.size = Integer(j, "size", where, 0, std::numeric_limits<int64_t>::max());
    id.device = Unsigned(j, "device", where);
    id.inode = Unsigned(j, "inode", where);
    id.head = Unsigned(j, "head", where);
    id.tail = Unsigned(j, "tail", where);
    return id;
}

// A stored path: relative (to the project's folder) or absolute, never through "..", and
// never empty or with a NUL; resolved to an absolute path.
wxString PathValue(const Json& j, const std::string& where, const wxString& folder)
{
    const std::string at = At(where, "path");
    const std::string path = Text(j, "path", where);
    if (path.empty() || path.find('\0') != std::string::npos)
        Fail(at, _("not a file name"));
    size_t begin = 0;
    while (begin <= path.size()) {
        const size_t end = std::min(path.find('/', begin), path.size());
        if (path.compare(begin, end - begin, "..") == 0)
            Fail(at, _("a path through \"..\" is refused"));
        begin = end + 1;
    }
    const wxString text = wxString::FromUTF8(path.data(), path.size());
    if (text.empty())
        Fail(at, _("not a file name"));
    if (path[0] == '/')
        return text;
    wxFileName name(folder, wxEmptyString);
    name.MakeAbsolute();
    return name.GetPath(wxPATH_GET_SEPARATOR) + text;
}

SavedFile FileValue(const Json& j, const std::string& where, const wxString& folder)
{
    ExpectObject(j, where);
    SavedFile file;
    file.path = PathValue(j, where, folder);
    file.separator = Char(j, "separator", where, ",;\t ");
    file.request = RequestValue(Member(j, "request", where), At(where, "request"));
    file.option = OptionValue(Member(j, "option", where), At(where, "option"));
    file.identity = IdentityValue(Member(j, "identity", where), At(where, "identity"));
    return file;
}

SavedFormula FormulaValue(const Json& j, const std::string& where, size_t index)
{
    ExpectObject(j, where);
    SavedFormula f;
    f.text = WideText(j, "text", where);
    wxString message;
    if (!FormulaCalculator::CheckSyntax(f.text, message))
        Fail(At(where, "text"), message);
    f.start = Number(j, "start", where);
    f.interval = Number(j, "interval", where);
    f.size = int32_t(Integer(j, "size", where, 0, INT32_MAX));
    // Only an earlier series: the series are made in order.
    f.sameXAs = int(Integer(j, "sameXAs", where, -1, int64_t(index) - 1));
    if (j.contains("timeOrigin")) {
        f.hasTimeOrigin = true;
        f.timeOrigin = Integer(j, "timeOrigin", where, std::numeric_limits<int64_t>::min(),
                               std::numeric_limits<int64_t>::max());
    }
    return f;
}

SavedSeries SeriesValue(const Json& j, const std::string& where, size_t index,
                        const std::vector<SavedFile>& files)
{
    ExpectObject(j, where);
    SavedSeries s;
    s.label = WideText(j, "label", where);
    s.visible = Bool(j, "visible", where);
    s.style.colour = ColourValue(j, "colour", where);
    s.style.width = Number(j, "width", where);
    if (s.style.width < SERIES_LINE_WIDTH_MIN || s.style.width > SERIES_LINE_WIDTH_MAX)
        Fail(At(where, "width"),
             wxString::Format(_("outside %g to %g"), SERIES_LINE_WIDTH_MIN, SERIES_LINE_WIDTH_MAX));
    const bool fromFile = j.contains("file"), fromFormula = j.contains("formula");
    if (fromFile == fromFormula)
        Fail(where, _("either a file or a formula expected"));
    if (fromFormula) {
        s.formula = FormulaValue(j["formula"], At(where, "formula"), index);
        return s;
    }
    if (files.empty())
        Fail(At(where, "file"), _("there is no file to refer to"));
    s.file = int(Integer(j, "file", where, 0, int64_t(files.size()) - 1));
    const SavedFile& file = files[size_t(s.file)];
    const int64_t sources = int64_t(file.option.dataSources.size());
    if (sources == 0)
        Fail(At(where, "source"), _("the file has no data source"));
    s.source = size_t(Integer(j, "source", where, 0, sources - 1));
    s.key = Text(j, "key", where);
    return s;
}

PlotRange RangeValue(const Json& j, const std::string& where)
{
    if (!j.is_array() || j.size() != 4)
        Fail(where, _("four numbers [minX, maxX, minY, maxY] expected"));
    double v[4];
    for (size_t i = 0; i < 4; ++i) {
        if (!j[i].is_number() || !std::isfinite(j[i].get<double>()))
            Fail(At(where, i), _("a finite number expected"));
        v[i] = j[i].get<double>();
    }
    const PlotRange range{v[0], v[1], v[2], v[3]};
    if (!IsUsableRange(range))
        Fail(where, _("not a range the graph can show"));
    return range;
}

SavedCursors CursorsValue(const Json& j, const std::string& where)
{
    ExpectObject(j, where);
    SavedCursors cursors;
    cursors.shown = Bool(j, "shown", where);
    cursors.x[0] = Number(j, "a", where);
    cursors.x[1] = Number(j, "b", where);
    return cursors;
}

// Deep nesting is refused while parsing, before it costs anything.
struct TooDeep
{
};

Json ParseLimited(const std::string& text)
{
    return Json::parse(text, [](int depth, Json::parse_event_t, Json&) {
        if (depth > MAX_PROJECT_DEPTH)
            throw TooDeep();
        return true;
    });
}

SavedProject ProjectValue(const Json& j, const wxString& folder)
{
    ExpectObject(j, "");
    if (Text(j, "format", "") != FORMAT_NAME)
        Fail("format", _("not an Ardentine project"));
    const int64_t version = Integer(j, "version", "", 1, std::numeric_limits<int64_t>::max());
    if (version > PROJECT_FORMAT_VERSION)
        Fail("version",
             wxString::Format(_("the project has format version %lld; this program reads up to "
                                "version %d. Please use a newer Ardentine"),
                              static_cast<long long>(version), PROJECT_FORMAT_VERSION));
    SavedProject project;
    const Json& files = Array(j, "files", "", MAX_PROJECT_SERIES);
    for (size_t i = 0; i < files.size(); ++i)
        project.files.push_back(FileValue(files[i], At("files", i), folder));
    const Json& series = Array(j, "series", "", MAX_PROJECT_SERIES);
    for (size_t i = 0; i < series.size(); ++i)
        project.series.push_back(SeriesValue(series[i], At("series", i), i, project.files));
    project.property = PropertiesValue(Member(j, "properties", ""), "properties");
    project.range = RangeValue(Member(j, "plotRange", ""), "plotRange");
    if (j.contains("timeOrigin")) {
        project.hasTimeOrigin = true;
        project.timeOrigin = Integer(j, "timeOrigin", "", std::numeric_limits<int64_t>::min(),
                                     std::numeric_limits<int64_t>::max());
    }
    project.cursors = CursorsValue(Member(j, "cursors", ""), "cursors");
    return project;
}

} // namespace

bool ParseProjectText(const std::string& text, const wxString& projectFolder, SavedProject& out,
                      wxString& error)
{
    try {
        const Json j = ParseLimited(text);
        out = ProjectValue(j, projectFolder);
        return true;
    } catch (const TooDeep&) {
        error =
            wxString::Format(_("the file is nested more than %d levels deep"), MAX_PROJECT_DEPTH);
    } catch (const Json::parse_error& e) {
        error = wxString::Format(_("the file is not complete JSON (at byte %zu)"), e.byte);
    } catch (const Json::out_of_range&) {
        error = _("a number in the file is out of range"); // 1e999
    } catch (const Fault& fault) {
        error =
            fault.where.empty() ? fault.what : wxString::FromUTF8(fault.where) + ": " + fault.what;
    } catch (const std::exception&) {
        error = _("the file is not a project");
    }
    return false;
}

bool ReadProjectFile(const wxString& path, SavedProject& out, wxString& error)
{
    const std::string name = FileNameToNarrow(path);
    // Non-blocking: opening a FIFO must not wait for a writer.
    const int fd = name.empty() ? -1 : open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info;
    std::string text;
    wxString problem;
    if (fd < 0)
        problem = _("it can't be opened");
    else if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        problem = _("it is not a regular file");
    else if (info.st_size > MAX_PROJECT_FILE_BYTES)
        problem = wxString::Format(_("it is larger than %lld bytes"),
                                   static_cast<long long>(MAX_PROJECT_FILE_BYTES));
    else {
        text.resize(size_t(info.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = read(fd, &text[done], text.size() - done);
            if (n <= 0)
                break;
            done += size_t(n);
        }
        if (done != text.size())
            problem = _("it can't be read");
    }
    if (fd >= 0)
        close(fd);
    wxString detail;
    if (problem.empty() && ParseProjectText(text, wxFileName(path).GetPath(), out, detail))
        return true;
    error = wxString::Format(_("Can't open the project \"%s\": %s."), path,
                             problem.empty() ? detail : problem);
    return false;
}

bool SaveProjectFile(const wxString& path, const SavedProject& project, wxString& error)
{
    const std::string text = WriteProjectText(project, path);
    const std::string name = FileNameToNarrow(path);
    AtomicFile file;
    if (name.empty() || !file.Create(name) ||
        std::fwrite(text.data(), 1, text.size(), file.File()) != text.size() ||
        !file.Commit(true)) {
        error = wxString::Format(_("Can't save the project \"%s\"!"), path);
        return false;
    }
    return true;
}

bool IsProjectFileName(const wxString& path)
{
    return wxFileName(path).GetExt().IsSameAs(PROJECT_EXTENSION, false);
}
