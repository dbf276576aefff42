// The importer's operations; the scan and the conversion are done by its parts.
#include "csv/CSVImporter.h"

#include <wx/intl.h>

#include "csv/CSVConverter.h"
#include "csv/CSVScanner.h"
#include "csv/Separator.h"
#include "model/GraphProject.h"
#include "model/MipmapBuilder.h"
#include "progress/Progress.h"

wxString CheckOptionFitsFile(const CSVFileInfo& info, const CSVImportOption& option)
{
    if (option.headerRows < 0 || option.dataRows < 0 ||
        int64_t(option.headerRows) + option.dataRows > info.rowCount)
        return wxString::Format(
            _("Header Rows and Data Rows together exceed the %d rows of the file!"), info.rowCount);
    const int columns = info.columnCount;
    for (size_t k = 0; k < option.dataSources.size(); ++k) {
        const DataSource& source = option.dataSources[k];
        const char* axis = nullptr;
        if (!source.useDirectVal && (source.columnX < 0 || source.columnX >= columns))
            axis = "X";
        else if (source.columnY < 0 || source.columnY >= columns)
            axis = "Y";
        if (axis)
            return wxString::Format(
                _("The %s data column of series %d (\"%s\") must lie between 1 and %d!"), axis,
                int(k) + 1, source.label, columns);
    }
    return wxString();
}

CSVImporter::CSVImporter(const wxString& fileName, GraphProject& project)
    : m_project(project), m_fileName(fileName), m_lineIndex(std::make_unique<CSVLineIndex>())
{
}

CSVImporter::~CSVImporter() = default;

void CSVImporter::SetSeparator(wxChar separator)
{
    wxASSERT_MSG(IsSupportedSeparator(separator), "unsupported separator");
    m_separator = separator;
}

ResultCode CSVImporter::ScanInfo(ProcContext* context)
{
    return RunProgressProc(context, &CSVImporter::ScanInfoInternal, this);
}

ResultCode CSVImporter::ScanInfoInternal(Progress* progress)
{
    char separator;
    if (!NarrowSeparator(m_separator, separator, m_message))
        return ResultCode::FAILURE;
    CSVScanner scanner(m_fileName, separator, m_tuning, m_message);
    const ResultCode result = scanner.Scan(progress);
    if (result == ResultCode::SUCCESS) {
        m_info = scanner.GetInfo();
        m_option = scanner.GetOption();
        *m_lineIndex = std::move(scanner.GetLineIndex());
    }
    return result;
}

ResultCode CSVImporter::ImportInternal(Progress* progress)
{
    m_series.clear();
    char separator;
    if (!NarrowSeparator(m_separator, separator, m_message))
        return ResultCode::FAILURE;
    CSVConverter converter(m_fileName, separator, m_tuning, m_message);
    return converter.Convert(m_option, m_info, *m_lineIndex, m_resolution, progress, m_series);
}

ResultCode CSVImporter::Import(ProcContext* context, int resolution)
{
    m_resolution = resolution;
    ResultCode result = RunProgressProc(context, &CSVImporter::ImportInternal, this);
    if (result == ResultCode::SUCCESS) {
        std::vector<GraphDataY*> dataYs;
        for (const auto& series : m_series)
            dataYs.push_back(series->GetDataY().get());
        MipmapBuilder builder(std::move(dataYs), m_tuning.threadCount);
        result = RunProgressProc(context, &MipmapBuilder::Build, &builder, resolution);
        if (result != ResultCode::SUCCESS && result != ResultCode::NOT_STARTED)
            m_message = _("Failed to allocate memory!");
    }
    if (result == ResultCode::NOT_STARTED)
        m_message = _("Can't create the thread!");
    if (result != ResultCode::SUCCESS) {
        m_series.clear();
        return result;
    }
    for (size_t k = 0; k < m_series.size(); ++k) {
        m_project.Add(m_series[k]);
        m_series[k]->SetLabel(m_option.dataSources[k].label);
    }
    return ResultCode::SUCCESS;
}
