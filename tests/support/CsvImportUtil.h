#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "csv/CSVImporter.h"
#include "model/GraphProject.h"

namespace csvtest {

// One letter per column: N number, T time, X text.
inline std::string Kinds(const CSVDialect& dialect)
{
    std::string kinds;
    for (const ColumnFormat& c : dialect.columns)
        kinds += "NTX"[int(c.kind)];
    return kinds;
}

// What a scan proposed and an import then read.
struct Imported
{
    ResultCode scan = ResultCode::FAILURE, result = ResultCode::FAILURE;
    std::string message;
    CSVFileInfo info;
    CSVImportOption option;                  // as the scan proposed it
    std::vector<std::string> labels;         // of the proposed series
    std::vector<std::string> series;         // the labels of the series made
    std::vector<std::vector<double>> values; // their values
    std::vector<std::vector<double>> xs;     // their X
    std::vector<std::string> xStarts;        // ISO text for a time X, else the number
    int64_t gaps = 0, firstGapLine = 0;
};

struct ImportHow
{
    DialectRequest request;
    int threads = 1;
    char separator = 0;       // set as the separator choice of the dialog sets it
    size_t maxHeaderText = 0; // 0: the tuning's own
    // Every number and time column with counted X, every line after the header, without a
    // mipmap; else the scan's option, refused as the dialog refuses it.
    bool everyColumn = false;
};

// A tuning that runs `threads` threads even on a small file.
inline CSVImportTuning Threads(int threads)
{
    CSVImportTuning tuning;
    tuning.threadCount = threads;
    tuning.parallelMinBytes = 0;
    return tuning;
}

// An importer into a project of its own.
struct Importing
{
    explicit Importing(const std::string& path, int threads = 1) : importer(path, *project)
    {
        importer.Tuning() = Threads(threads);
    }
    // What the dialog does before its import: the scan's option, changed.
    template <class Change> void ChangeOption(Change change)
    {
        CSVImportOption option = importer.GetOption();
        change(option);
        importer.SetOption(option);
    }
    std::shared_ptr<GraphProject> project = CreateGraphProject();
    CSVImporter importer;
};

// Where each line of `text` starts.
inline std::vector<int64_t> LineStarts(const std::string& text)
{
    std::vector<int64_t> starts{0};
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        starts.push_back(int64_t(at) + 1);
    return starts;
}

inline Imported ImportFile(const std::string& path, const ImportHow& how = ImportHow())
{
    Importing on(path, how.threads);
    CSVImporter& importer = on.importer;
    importer.Request() = how.request;
    if (how.separator)
        importer.SetSeparator(how.separator);
    if (how.maxHeaderText)
        importer.Tuning().maxHeaderText = how.maxHeaderText;
    Imported out;
    out.scan = importer.ScanInfoInternal(nullptr);
    out.info = importer.GetInfo();
    out.option = importer.GetOption();
    for (const DataSource& s : out.option.dataSources)
        out.labels.push_back(s.label.utf8_string());
    CSVImportOption option = out.option;
    if (how.everyColumn) {
        option.dataRows = out.info.rowCount - option.headerRows;
        option.dataSources.clear();
        for (int c = 0; c < out.info.columnCount; ++c) {
            if (option.dialect.Column(c).kind != ColumnKind::TEXT)
                option.dataSources.push_back(DataSource{true, 0, 1, 0, c, ""});
        }
    }
    const wxString refused = how.everyColumn ? wxString() : CheckOptionFitsFile(out.info, option);
    out.message = (refused.empty() ? importer.GetErrorMessage() : refused).utf8_string();
    if (out.scan != ResultCode::SUCCESS || option.dataSources.empty() || !refused.empty())
        return out;
    importer.SetOption(option);
    out.result = how.everyColumn ? importer.ImportInternal(nullptr) : importer.Import(nullptr);
    for (const auto& series : importer.GetSeries()) {
        const auto& raw = series->GetDataY()->raw;
        out.values.emplace_back(raw.begin(), raw.end());
        out.series.push_back(series->GetLabel().utf8_string());
        out.xs.emplace_back();
        for (size_t k = 0; k < raw.size(); ++k)
            out.xs.back().push_back(series->GetDataX().At(k));
        const double start = series->GetDataX().start;
        out.xStarts.push_back(
            series->HasTimeOrigin()
                ? FormatIsoTime(series->GetTimeOrigin() + TimeNanos(std::llround(start * 1e9)), 3)
                : std::to_string(start));
    }
    out.gaps = importer.GetGapCount();
    out.firstGapLine = importer.GetFirstGapLine();
    out.message = importer.GetErrorMessage().utf8_string();
    return out;
}

// "<separator> <decimal> <kinds> <header lines>: <labels of the default series, |-joined>",
// with '#' after the label of a series that counts its points and "@N" after one whose X is
// column N, when that is not the first.
inline std::string Shape(const Imported& got)
{
    const CSVDialect& d = got.option.dialect;
    std::string text = std::string{d.separator, ' ', d.decimal, ' '} + Kinds(d) + " " +
                       std::to_string(got.option.headerRows) + ":";
    for (size_t k = 0; k < got.labels.size(); ++k) {
        const DataSource& s = got.option.dataSources[k];
        text += (k ? "|" : " ") + got.labels[k];
        if (s.useDirectVal)
            text += "#";
        else if (s.columnX != 0)
            text += "@" + std::to_string(s.columnX + 1);
    }
    return text;
}

} // namespace csvtest
