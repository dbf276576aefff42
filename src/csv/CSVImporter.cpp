// The importer's operations; the scan and the conversion are done by its parts.
#include "csv/CSVImporter.h"

#include <wx/intl.h>

#include "csv/CSVConverter.h"
#include "csv/CSVScanner.h"
#include "csv/Reload.h"
#include "base/FileUtil.h"
#include "csv/Separator.h"
#include "model/GraphProject.h"
#include "model/MipmapBuilder.h"
#include "progress/Progress.h"

CSVImporter::CSVImporter(const wxString& fileName, GraphProject& project)
    : m_project(project), m_fileName(fileName), m_lineIndex(std::make_unique<CSVLineIndex>())
{
}

CSVImporter::~CSVImporter() = default;

void CSVImporter::SetSeparator(wxChar separator)
{
    wxASSERT_MSG(IsSupportedSeparator(separator), "unsupported separator");
    m_separator = separator;
    m_request.separator = IsSupportedSeparator(separator) ? char(separator) : 0;
}

ResultCode CSVImporter::ScanInfo(ProcContext* context)
{
    return RunProgressProc(context, &CSVImporter::ScanInfoInternal, this);
}

ResultCode CSVImporter::ScanInfoInternal(Progress* progress)
{
    char separator; // checked here; the request carries it
    if (!NarrowSeparator(m_separator, separator, m_message))
        return ResultCode::FAILURE;
    CSVScanner scanner(m_fileName, m_request, m_tuning, m_message);
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
    if (m_request.separator)
        separator = m_request.separator;
    CSVConverter converter(m_fileName, separator, m_tuning, m_message);
    const ResultCode result =
        converter.Convert(m_option, m_info, *m_lineIndex, m_resolution, progress, m_series);
    m_gaps = converter.GetGapCount();
    m_firstGapLine = converter.GetFirstGapLine();
    m_labels = converter.GetLabels();
    m_seriesKeys = converter.GetSeriesKeys();
    m_dataEnd = converter.GetDataEnd();
    m_dataEndedWithLineFeed = converter.DataEndedWithLineFeed();
    m_lastX = converter.GetLastX();
    return result;
}

ResultCode CSVImporter::Import(ProcContext* context, int resolution)
{
    const ResultCode result = ReadSeries(context, resolution);
    if (result != ResultCode::SUCCESS)
        return result;
    // Each series remembers the file and how it was read, to read it again.
    auto read = std::make_shared<FileRead>();
    read->path = m_fileName;
    read->separator = m_separator;
    read->request = m_request;
    read->option = m_option;
    read->info = m_info;
    read->dataEnd = m_dataEnd;
    read->endedWithLineFeed = m_dataEndedWithLineFeed;
    read->lastX = m_lastX;
    read->identity = ReadFileIdentity(FileNameToNarrow(m_fileName), m_dataEnd);
    std::vector<size_t> sources = SeriesSourceIndices(m_option, m_series.size());
    for (size_t k = 0; k < m_series.size(); ++k) {
        m_series[k]->SetSource(
            std::make_shared<FileSeriesSource>(read, sources[k], m_seriesKeys[k]));
        m_project.Add(m_series[k]);
        m_series[k]->SetLabel(m_labels[k]);
    }
    return ResultCode::SUCCESS;
}

ResultCode CSVImporter::ReadSeries(ProcContext* context, int resolution)
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
    if (result != ResultCode::SUCCESS)
        m_series.clear();
    return result;
}
