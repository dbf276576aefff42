#include "project/ProjectOpen.h"

#include <algorithm>
#include <climits>
#include <map>

#include <sys/stat.h>

#include <wx/intl.h>

#include "base/FileUtil.h"
#include "csv/CSVImporter.h"
#include "csv/Reload.h"
#include "formula/FormulaCalculator.h"

namespace {

// The formula part of a calculated series: its X as the calculator's dialog shows it (the
// first X and the mean step of one X per point), over the X of the earliest series before
// it that shares its X array.
SavedFormula DescribeFormula(const GraphProject& project, int index, const wxString& text)
{
    const auto series = project.GetItem(index);
    const DataX x = series->GetDataX();
    const size_t count = series->GetCount();
    SavedFormula f;
    f.text = text;
    f.size = int32_t(std::min<size_t>(count, INT32_MAX));
    f.start = x.start;
    f.interval = x.interval;
    if (x.IsExplicit()) {
        double first = 0.0, last = 0.0;
        x.Extent(count, first, last);
        f.start = first;
        f.interval = count > 1 && last > first ? (last - first) / double(count - 1) : 1.0;
        for (int k = 0; k < index && f.sameXAs < 0; ++k)
            if (project.GetItem(k)->GetDataX().ExplicitValues() == x.ExplicitValues())
                f.sameXAs = k;
    }
    f.hasTimeOrigin = series->HasTimeOrigin();
    f.timeOrigin = series->GetTimeOrigin();
    return f;
}

} // namespace

SavedProject DescribeProject(const GraphProject& project, const SavedCursors& cursors)
{
    SavedProject saved;
    std::vector<const FileRead*> reads;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        SavedSeries s;
        s.label = series->GetLabel();
        s.visible = series->IsVisible();
        s.style = series->GetLineStyle();
        const SeriesSource* source = series->GetSource().get();
        if (const auto* file = dynamic_cast<const FileSeriesSource*>(source); file && file->read) {
            const FileRead* read = file->read.get();
            auto found = std::find(reads.begin(), reads.end(), read);
            if (found == reads.end()) {
                found = reads.insert(reads.end(), read);
                saved.files.push_back(SavedFile{read->path, read->separator, read->request,
                                                read->option, read->identity});
            }
            s.file = int(found - reads.begin());
            s.source = file->source;
            s.key = file->key;
        } else {
            const auto* formula = dynamic_cast<const FormulaSeriesSource*>(source);
            s.formula = DescribeFormula(project, i, formula ? formula->formula : wxString("0"));
        }
        saved.series.push_back(s);
    }
    saved.property = project.GetProperty();
    saved.range = project.GetPlotRange();
    saved.hasTimeOrigin = project.HasTimeOrigin();
    saved.timeOrigin = project.GetTimeOrigin();
    saved.cursors = cursors;
    return saved;
}

wxString OpenReport::Message() const
{
    if (Clean())
        return wxString();
    wxString text = _("The project is open, but some series are not as they were saved.");
    for (const wxString& line : missing)
        text += "\n" + wxString::Format(_("Missing file %s"), line);
    for (const wxString& line : changed)
        text += "\n" + wxString::Format(_("Changed since it was saved: %s"), line);
    for (const wxString& line : failed)
        text += "\n" + wxString::Format(_("Not made again: %s"), line);
    return text;
}

namespace {

// One saved file as this opening read it.
struct OpenedFile
{
    std::shared_ptr<FileRead> read;
    std::map<std::pair<size_t, std::string>, std::shared_ptr<GraphData>> series;
    enum
    {
        READ,
        MISSING,
        FAILED
    } state = READ;
    bool changed = false;
    std::vector<wxString> labels; // of its saved series
};

bool SameContent(const FileIdentity& a, const FileIdentity& b)
{
    return a.size == b.size && a.head == b.head && a.tail == b.tail;
}

wxString Quoted(const wxString& path, const std::vector<wxString>& labels)
{
    wxString list;
    for (const wxString& label : labels)
        list += (list.empty() ? "" : ", ") + label;
    return "\"" + path + "\" (" + list + ")";
}

// A series without points that keeps its place, look and where it came from.
std::shared_ptr<GraphData> Placeholder(const DataX& x, std::shared_ptr<SeriesSource> source)
{
    auto series = CreateGraphData(x, CreateGraphDataY());
    series->SetSource(std::move(source));
    return series;
}

void ApplyLook(GraphData& series, const SavedSeries& s)
{
    series.SetLabel(s.label);
    series.SetVisible(s.visible);
    series.SetLineStyle(s.style);
}

// Calculates a formula series over the project so far; a placeholder when it fails.
ResultCode AddFormulaSeries(GraphProject& project, const SavedSeries& s, int resolution,
                            ProcContext* context, OpenReport& report)
{
    const SavedFormula& f = s.formula;
    FormulaCalculator calculator(&project);
    calculator.SetFormula(f.text);
    calculator.SetLabel(s.label);
    DataX x{f.start, f.interval};
    int32_t size = f.size;
    if (f.sameXAs >= 0 && f.sameXAs < project.GetCount()) {
        const auto same = project.GetItem(f.sameXAs);
        if (same->GetDataX().IsExplicit() && same->GetCount() > 0) {
            x = same->GetDataX();
            size = int32_t(std::min<size_t>(same->GetCount(), INT32_MAX));
        }
    }
    calculator.SetDataX(x);
    calculator.SetSize(size);
    if (f.hasTimeOrigin)
        calculator.SetTimeOrigin(f.timeOrigin);
    ResultCode result = ResultCode::FAILURE;
    if (calculator.Compile())
        result = calculator.Run(resolution, context);
    if (result == ResultCode::CANCELLED)
        return result;
    if (result == ResultCode::SUCCESS) {
        ApplyLook(*project.GetItem(project.GetCount() - 1), s);
        return result;
    }
    auto placeholder =
        Placeholder(DataX{f.start, f.interval}, std::make_shared<FormulaSeriesSource>(f.text));
    if (f.hasTimeOrigin)
        placeholder->SetTimeOrigin(f.timeOrigin);
    project.Add(placeholder);
    ApplyLook(*placeholder, s);
    report.failed.push_back(s.label + ": " + calculator.GetErrorMessage());
    if (report.firstFailure.empty())
        report.firstFailure = calculator.GetErrorMessage();
    return ResultCode::SUCCESS;
}

// Reads one saved file with its option. CANCELLED only when the user cancelled.
ResultCode OpenFile(const SavedFile& file, const CSVImportTuning& tuning, int resolution,
                    ProcContext* context, ColumnCache* cache, OpenedFile& opened,
                    OpenReport& report)
{
    auto read = std::make_shared<FileRead>();
    read->path = file.path;
    read->separator = file.separator;
    read->request = file.request;
    read->option = file.option;
    opened.read = read;
    struct stat info;
    if (stat(FileNameToNarrow(file.path).c_str(), &info) != 0) {
        opened.state = OpenedFile::MISSING;
        return ResultCode::SUCCESS;
    }
    FileUpdate update =
        ReadFileUpdate(read, *read, true, tuning, resolution, context, INT64_MAX, cache);
    if (update.result == ResultCode::CANCELLED)
        return update.result;
    if (update.result != ResultCode::SUCCESS) {
        opened.state = OpenedFile::FAILED;
        report.failed.push_back("\"" + file.path + "\": " + update.message);
        if (report.firstFailure.empty())
            report.firstFailure = update.message;
        return ResultCode::SUCCESS;
    }
    *read = update.now;
    for (size_t k = 0; k < update.fresh.size(); ++k)
        opened.series[update.freshSources[k]] = update.fresh[k];
    opened.changed = file.identity.exists && !SameContent(file.identity, read->identity);
    return ResultCode::SUCCESS;
}

} // namespace

namespace {

// Runs `each` with an importer of every saved file, set up as ReadWhole's so that its
// cache reads have the key the open asks for; false when the project can't be read.
bool ForEachSavedFile(const wxString& path, ColumnCache& cache, SavedProject& saved,
                      const std::function<void(CSVImporter&, const SavedFile&)>& each)
{
    wxString error;
    if (!ReadProjectFile(path, saved, error))
        return false;
    auto scratch = CreateGraphProject();
    for (const SavedFile& file : saved.files) {
        CSVImporter importer(file.path, *scratch);
        importer.SetSeparator(file.separator);
        importer.Request() = file.request;
        importer.SetColumnCache(&cache);
        each(importer, file);
    }
    return true;
}

} // namespace

void PrefetchProjectFiles(const wxString& path, int resolution, ColumnCache& cache)
{
    SavedProject saved;
    ForEachSavedFile(path, cache, saved, [&](CSVImporter& importer, const SavedFile& file) {
        importer.PrefetchWholeCached(file.option, resolution);
    });
}

bool ProjectFilesPrefetched(const wxString& path, int resolution, ColumnCache& cache)
{
    SavedProject saved;
    bool all = true;
    if (!ForEachSavedFile(path, cache, saved, [&](CSVImporter& importer, const SavedFile& file) {
            all = importer.IsWholePrefetched(file.option, resolution) && all;
        }))
        return false;
    for (const SavedSeries& series : saved.series)
        all = all && series.file >= 0; // a formula may take long: it shows its progress
    return all && !saved.files.empty();
}

ResultCode BuildSavedProject(const SavedProject& saved, const CSVImportTuning& tuning,
                             int resolution, ProcContext* context,
                             std::shared_ptr<GraphProject>& out, OpenReport& report,
                             wxString& error, ColumnCache* cache)
{
    // Checked before anything is read: reading a device or a FIFO could block or never end.
    for (const SavedFile& file : saved.files) {
        struct stat info;
        if (stat(FileNameToNarrow(file.path).c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            error = wxString::Format(_("\"%s\" is not a regular file: the project is not opened."),
                                     file.path);
            return ResultCode::FAILURE;
        }
    }
    report = OpenReport();
    std::vector<OpenedFile> files(saved.files.size());
    for (size_t i = 0; i < saved.files.size(); ++i) {
        const ResultCode result =
            OpenFile(saved.files[i], tuning, resolution, context, cache, files[i], report);
        if (result != ResultCode::SUCCESS)
            return result;
    }

    auto project = CreateGraphProject();
    if (saved.hasTimeOrigin)
        project->SetTimeOrigin(saved.timeOrigin);
    for (const SavedSeries& s : saved.series) {
        if (s.file < 0) {
            const ResultCode result = AddFormulaSeries(*project, s, resolution, context, report);
            if (result != ResultCode::SUCCESS)
                return result;
            continue;
        }
        OpenedFile& file = files[size_t(s.file)];
        file.labels.push_back(s.label);
        const auto found = file.series.find({s.source, s.key});
        auto source = std::make_shared<FileSeriesSource>(file.read, s.source, s.key);
        std::shared_ptr<GraphData> series;
        if (found != file.series.end()) {
            series = found->second;
            series->SetSource(source);
        } else {
            series = Placeholder(DataX(), source);
        }
        project->Add(series);
        ApplyLook(*series, s);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].labels.empty())
            continue;
        const wxString line = Quoted(saved.files[i].path, files[i].labels);
        if (files[i].state == OpenedFile::MISSING)
            report.missing.push_back(line);
        else if (files[i].changed)
            report.changed.push_back(line);
    }
    project->SetProperty(saved.property);
    project->SetPlotRange(saved.range.minX, saved.range.maxX, saved.range.minY, saved.range.maxY);
    out = project;
    return ResultCode::SUCCESS;
}
