// The importer's operations; the scan and the conversion are done by its parts.
#include "csv/CSVImporter.h"

#include <atomic>

#include <wx/intl.h>

#include "base/HelperThread.h"
#include "csv/CSVConverter.h"
#include "csv/CSVScanner.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"

namespace {

// Progress for the helper's share of the mipmaps: silent, cancelled by a flag.
class FlagProgress : public Progress
{
public:
    explicit FlagProgress(std::atomic<bool>& stop) : m_stop(stop) {}
    void SetPosition(int, int) override {}
    void SetMessage(const wxString&) override {}
    bool IsCancelled() override { return m_stop.load(); }

private:
    std::atomic<bool>& m_stop;
};

// Forwards to the dialog's progress; a cancel there (or a stop) stops the helper too.
class ForwardProgress : public Progress
{
public:
    ForwardProgress(Progress* inner, std::atomic<bool>& stop) : m_inner(inner), m_stop(stop) {}
    void SetPosition(int position, int total) override
    {
        if (m_inner)
            m_inner->SetPosition(position, total);
    }
    void SetMessage(const wxString& message) override
    {
        if (m_inner)
            m_inner->SetMessage(message);
    }
    bool IsCancelled() override
    {
        if (m_inner && m_inner->IsCancelled())
            m_stop = true;
        return m_stop.load();
    }

private:
    Progress* m_inner;
    std::atomic<bool>& m_stop;
};

} // namespace

CSVImporter::CSVImporter(const wxString& fileName, GraphProject& project)
    : m_project(project), m_fileName(fileName), m_lineIndex(std::make_unique<CSVLineIndex>())
{
}

CSVImporter::~CSVImporter() = default;

void CSVImporter::SetSeparator(wxChar separator)
{
    wxASSERT_MSG(separator == '\t' || separator == ' ' || separator == ',' || separator == ';',
                 "unsupported separator");
    m_separator = separator;
}

bool CSVImporter::NarrowSeparator(char& separator)
{
    const wxChar wide = m_separator;
    if (wide != '\t' && wide != ' ' && wide != ',' && wide != ';') {
        wxFAIL_MSG("separator must be tab, space, comma or semicolon");
        m_message = _("The separator must be a tab, a space, a comma or a semicolon!");
        return false;
    }
    separator = static_cast<char>(wide);
    return true;
}

ResultCode CSVImporter::ScanInfo(ProcContext* context)
{
    return RunProgressProc(context, &CSVImporter::ScanInfoInternal, this);
}

ResultCode CSVImporter::ScanInfoInternal(Progress* progress)
{
    char separator;
    if (!NarrowSeparator(separator))
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
    if (!NarrowSeparator(separator))
        return ResultCode::FAILURE;
    CSVConverter converter(m_fileName, separator, m_tuning, m_message);
    return converter.Convert(m_option, m_info, *m_lineIndex, m_resolution, progress, m_series);
}

ResultCode CSVImporter::BuildMipmaps(int resolution, Progress* progress)
{
    try {
        return BuildMipmapsOnThreads(resolution, progress);
    } catch (const std::bad_alloc&) {
        return ResultCode::OUT_OF_MEMORY;
    }
}

ResultCode CSVImporter::BuildMipmapsOnThreads(int resolution, Progress* progress)
{
    struct Item
    {
        GraphDataY* y;
        int levels;
    };
    std::vector<Item> items;
    for (const auto& series : m_series) {
        GraphDataY* y = series->GetDataY().get();
        const int levels = MipmapLevelCount(y->raw.size(), resolution);
        bool seen = false;
        for (const Item& item : items)
            seen = seen || item.y == y;
        if (!seen && levels > 0)
            items.push_back(Item{y, levels});
    }

    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&](Progress* p) -> ResultCode {
        for (size_t i = next++; i < items.size(); i = next++) {
            const ResultCode result = items[i].y->CreateMipmap(items[i].levels, p);
            if (result != ResultCode::SUCCESS) {
                stop = true;
                return result;
            }
        }
        return ResultCode::SUCCESS;
    };

    FlagProgress helperProgress(stop);
    ForwardProgress mainProgress(progress, stop);
    ResultCode helperResult = ResultCode::SUCCESS;
    HelperThread helper;
    const bool parallel = m_tuning.threadCount >= 2 && items.size() >= 2 &&
                          helper.Start([&] { helperResult = work(&helperProgress); });
    ResultCode result = work(&mainProgress);
    if (parallel)
        helper.WaitPolling([&] { return !mainProgress.IsCancelled(); }, [&] { stop = true; });
    // A shortage of memory on either thread outranks the cancel it caused on the other.
    if (helperResult == ResultCode::OUT_OF_MEMORY || result == ResultCode::SUCCESS)
        result = helperResult;
    return result;
}

ResultCode CSVImporter::Import(ProcContext* context, int resolution)
{
    m_resolution = resolution;
    ResultCode result = RunProgressProc(context, &CSVImporter::ImportInternal, this);
    if (result == ResultCode::SUCCESS) {
        result = RunProgressProc(context, &CSVImporter::BuildMipmaps, this, resolution);
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
