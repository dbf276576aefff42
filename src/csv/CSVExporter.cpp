#include "csv/CSVExporter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include <wx/intl.h>

#include "base/AtomicFile.h"
#include "base/FileUtil.h"
#include "base/Time.h"
#include "csv/Separator.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"

size_t FormatRegularX(double value, char* out)
{
    char* end = std::to_chars(out, out + 32, value, std::chars_format::scientific, 8).ptr;
    // The C++ form has two exponent digits at least; the file format has three.
    char* mark = static_cast<char*>(std::memchr(out, 'e', size_t(end - out)));
    if (mark && end - (mark + 2) == 2) {
        mark[4] = mark[3];
        mark[3] = mark[2];
        mark[2] = '0';
        ++end;
    }
    return size_t(end - out);
}

size_t FormatRegularXExact(double value, double interval, char* out)
{
    // As the file has always been written, unless "%.8e" loses more than a millionth of a
    // step (seconds since 1970 in milliseconds): then every digit.
    const size_t length = FormatRegularX(value, out);
    double back = 0.0;
    std::from_chars(out, out + length, back);
    if (std::fabs(back - value) <= std::fabs(interval) * 1e-6)
        return length;
    return FormatExportValue(value, out);
}

size_t FormatExportValue(double value, char* out)
{
    // The fewest digits that read back as the same double, in the layout "%.8e" always
    // had (at least eight fraction digits, at least three exponent digits): a value that
    // "%.8e" writes exactly comes out byte for byte as before, a longer one keeps its digits.
    char shortest[40];
    const char* end =
        std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific)
            .ptr;
    const char* mark = static_cast<const char*>(std::memchr(shortest, 'e', size_t(end - shortest)));
    if (!mark) { // inf, nan
        std::memcpy(out, shortest, size_t(end - shortest));
        return size_t(end - shortest);
    }
    char* o = out;
    const char* dot = static_cast<const char*>(std::memchr(shortest, '.', size_t(mark - shortest)));
    std::memcpy(o, shortest, size_t(mark - shortest));
    o += mark - shortest;
    size_t fraction = dot ? size_t(mark - dot - 1) : 0;
    if (!dot)
        *o++ = '.';
    for (; fraction < 8; ++fraction)
        *o++ = '0';
    *o++ = 'e';
    const char* exponent = mark + 1;
    *o++ = *exponent == '-' ? '-' : '+';
    if (*exponent == '-' || *exponent == '+')
        ++exponent;
    for (size_t digits = size_t(end - exponent); digits < 3; ++digits)
        *o++ = '0';
    std::memcpy(o, exponent, size_t(end - exponent));
    o += end - exponent;
    return size_t(o - out);
}

bool ShareExportAxis(const GraphData& a, const GraphData& b)
{
    return a.GetDataX().SameAxis(a.GetCount(), b.GetDataX(), b.GetCount());
}

CSVExporter::CSVExporter(const wxString& fileName, GraphProject& project)
    : m_project(project), m_fileName(fileName), m_option(MakeDefaultOption(project))
{
}

void CSVExporter::SetSeparator(wxChar separator)
{
    wxASSERT_MSG(IsSupportedSeparator(separator), "unsupported separator");
    m_separator = separator;
}

CSVExportOption CSVExporter::MakeDefaultOption(const GraphProject& project)
{
    CSVExportOption option;
    option.xDataHeader = project.GetProperty().axisLabelX;
    if (project.GetCount() == 0)
        return option;
    const auto reference = project.GetItem(0);
    option.exportedData.push_back(ExportedItem{0, reference->GetLabel()});
    for (int i = 1; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        if (ShareExportAxis(*series, *reference))
            option.exportedData.push_back(ExportedItem{i, series->GetLabel()});
    }
    return option;
}

bool CSVExporter::IsExportedDataValid()
{
    const auto& items = m_option.exportedData;
    if (items.empty()) {
        m_message = _("Exported data is empty!");
        return false;
    }
    for (const ExportedItem& item : items) {
        if (item.index < 0 || item.index >= m_project.GetCount()) {
            wxFAIL_MSG("index >= 0 && index < m_project.GetCount()");
            m_message = _("Exported data is not in the project!");
            return false;
        }
    }
    const auto first = m_project.GetItem(items[0].index);
    for (size_t k = 1; k < items.size(); ++k) {
        const auto series = m_project.GetItem(items[k].index);
        if (!ShareExportAxis(*series, *first)) {
            m_message = _("Exported data doesn't match x data or size of data!");
            return false;
        }
    }
    return true;
}

ResultCode CSVExporter::Export(ProcContext* context)
{
    return RunProgressProc(context, &CSVExporter::ExportInternal, this);
}

ResultCode CSVExporter::ExportInternal(Progress* progress)
{
    if (!IsExportedDataValid())
        return ResultCode::INVALID_REQUEST;
    char separator;
    if (!NarrowSeparator(m_separator, separator, m_message))
        return ResultCode::INVALID_REQUEST;

    AtomicFile output;
    const std::string name = FileNameToNarrow(m_fileName);
    if (name.empty() || !output.Create(name)) {
        m_message = wxString::Format(_("Can't create \"%s\"!"), m_fileName);
        return ResultCode::FAILURE;
    }
    FILE* file = output.File();
    const wxString writeError = wxString::Format(_("Can't write \"%s\"!"), m_fileName);

    if (m_option.exportHeader) {
        std::string header;
        if (m_option.exportX)
            header += WideToNarrow(m_option.xDataHeader) + separator;
        for (size_t k = 0; k < m_option.exportedData.size(); ++k) {
            if (k > 0)
                header += separator;
            header += WideToNarrow(m_option.exportedData[k].header);
        }
        header += "\r\n";
        std::fwrite(header.data(), 1, header.size(), file);
    }

    std::vector<const double*> values;
    for (const ExportedItem& item : m_option.exportedData)
        values.push_back(m_project.GetItem(item.index)->GetDataY()->raw.data());
    const auto first = m_project.GetItem(m_option.exportedData[0].index);
    const DataX dataX = first->GetDataX();
    const size_t n = first->GetCount();
    // A time X is written as ISO 8601 text with the fraction digits its instants need, so
    // that the file reads back to the same instants.
    const bool timeX = m_option.exportX && first->HasTimeOrigin();
    const TimeNanos origin = first->GetTimeOrigin();
    auto instant = [&](size_t r, TimeNanos& t) {
        return InstantAt(
            origin, dataX.IsExplicit() ? dataX.At(r) : dataX.start + double(r) * dataX.interval, t);
    };
    int digits = 0;
    for (size_t r = 0; timeX && r < n && digits < 9; ++r) {
        TimeNanos t;
        if (instant(r, t))
            digits = std::max(digits, FractionDigitsOf(t));
    }

    if (progress)
        progress->SetMessage(wxString::Format(_("Export \"%s\" ..."), m_fileName));
    const size_t step = n / 500 ? n / 500 : 1;
    std::string line;
    char number[32];
    double x = dataX.start;
    for (size_t r = 0; r < n; ++r) {
        line.clear();
        if (m_option.exportX) {
            TimeNanos t;
            if (timeX && instant(r, t))
                line += FormatIsoTime(t, digits);
            else
                line.append(number, dataX.IsExplicit()
                                        ? FormatExportValue(dataX.At(r), number)
                                        : FormatRegularXExact(x, dataX.interval, number));
            x = x + dataX.interval; // accumulated, as the file has always been written
        }
        for (size_t k = 0; k < values.size(); ++k) {
            if (k > 0 || m_option.exportX)
                line += separator;
            line.append(number, FormatExportValue(values[k][r], number));
        }
        line += "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
            m_message = writeError;
            return ResultCode::FAILURE;
        }
        if (progress && r % step == 0)
            ReportPosition(*progress, int64_t(r), int64_t(n));
        if (progress && r % 1000 == 0 && progress->IsCancelled())
            return ResultCode::CANCELLED;
    }
    if (!output.Commit()) {
        m_message = writeError;
        return ResultCode::FAILURE;
    }
    return ResultCode::SUCCESS;
}
