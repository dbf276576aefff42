// The importer's state, the scan and the default import option.
#include "csv/CSVImporter.h"

#include <algorithm>
#include <thread>

#include <wx/intl.h>

#include "csv/FileUtil.h"
#include "csv/LineReader.h"
#include "progress/Progress.h"

namespace {

// Closes the file on every path.
struct FileCloser
{
    FILE* file;
    ~FileCloser()
    {
        if (file)
            std::fclose(file);
    }
};

constexpr int64_t kProgressLines = 1000;

} // namespace

CSVImporter::CSVImporter(const wxString& fileName, GraphProject& project)
    : m_project(project), m_fileName(fileName),
      m_threadCount(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 2))
{
}

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

ResultCode CSVImporter::FailWith(const wxString& message)
{
    m_message = message;
    return ResultCode::FAILURE;
}

ResultCode CSVImporter::ScanInfo(ProcContext* context)
{
    return RunProgressProc(context, &CSVImporter::ScanInfoInternal, this);
}

bool CSVImporter::IsNumericLine(const char* begin, const char* end, char separator)
{
    for (const char* p = begin; p != end; ++p) {
        const char c = *p;
        if (c == separator || (c >= '0' && c <= '9'))
            continue;
        switch (c) {
        case ' ': case '\t': case '+': case '-': case '.':
        case 'd': case 'D': case 'e': case 'E':
            continue;
        default:
            return false;
        }
    }
    return true;
}

std::vector<wxString> CSVImporter::SplitLine(const std::string& text, char separator)
{
    std::vector<wxString> names;
    size_t begin = 0;
    for (;;) {
        const size_t cut = text.find(separator, begin);
        const size_t end = cut == std::string::npos ? text.size() : cut;
        names.push_back(NarrowToWide(text.data() + begin, end - begin));
        if (cut == std::string::npos)
            return names;
        begin = cut + 1;
    }
}

ResultCode CSVImporter::ScanInfoInternal(Progress* progress)
{
    try {
        char separator;
        if (!NarrowSeparator(separator))
            return ResultCode::FAILURE;

        const std::string name = FileNameToNarrow(m_fileName);
        FileCloser file{name.empty() ? nullptr : std::fopen(name.c_str(), "r")};
        if (!file.file)
            return FailWith(wxString::Format(_("Can't open \"%s\"!"), m_fileName));
        const int64_t total = GetFileSize(file.file);
        if (progress)
            progress->SetMessage(wxString::Format("Scan \"%s\" ...", m_fileName));

        CSVLineIndex index;
        index.fileSize = total;
        LineReader reader(fileno(file.file), 0, INT64_MAX);
        int64_t line = 0;
        int headerCount = 0;
        int columnCount = 0;
        bool headerMode = true;
        std::string headerText;
        const char* begin;
        const char* end;
        for (;;) {
            const int64_t lineStart = reader.Offset();
            const LineReader::Status status = reader.Next(begin, end);
            if (status == LineReader::END)
                break;
            if (status == LineReader::TOO_LONG)
                return FailWith(
                    wxString::Format(_("The length of the line in CSV file is too much at %s:%d!"),
                                     m_fileName, static_cast<int>(std::min<int64_t>(line + 1, INT32_MAX))));
            if (status == LineReader::READ_ERROR)
                return FailWith(wxString::Format(_("Can't read \"%s\"!"), m_fileName));
            if (line >= m_maxLineCount)
                return FailWith(wxString::Format(_("\"%s\" has too many lines!"), m_fileName));

            if (headerMode && !IsNumericLine(begin, end, separator)) {
                headerText.append(begin, end);
                ++headerCount;
            } else {
                headerMode = false;
                const int columns = CountByteWithSlack(begin, end, separator) + 1;
                columnCount = std::max(columnCount, columns);
            }

            if (line % kProgressLines == 0) {
                index.offsets.push_back(lineStart);
                if (progress) {
                    ReportPosition(*progress, reader.Offset(), total);
                    if (progress->IsCancelled())
                        return ResultCode::CANCELLED;
                }
            }
            ++line;
        }

        m_info.fileName = m_fileName;
        m_info.columnCount = columnCount;
        m_info.rowCount = static_cast<int32_t>(line);
        m_lineIndex = std::move(index);
        BuildDefaultOption(headerCount, headerText);
        return ResultCode::SUCCESS;
    } catch (const std::bad_alloc&) {
        m_message = _("Failed to allocate memory in the calculation process!");
        return ResultCode::OUT_OF_MEMORY;
    }
}

void CSVImporter::BuildDefaultOption(int headerCount, const std::string& headerText)
{
    m_option.headerRows = 0;
    m_option.dataRows = m_info.rowCount;
    m_option.dataSources.clear();
    for (int j = 1; j < m_info.columnCount; ++j) {
        DataSource source;
        source.columnY = j;
        source.label = wxString::Format(_("Column %d"), j + 1);
        m_option.dataSources.push_back(source);
    }
    if (headerCount == 0)
        return;

    m_option.headerRows = headerCount;
    m_option.dataRows = m_info.rowCount - headerCount;
    const std::vector<wxString> names = SplitLine(headerText, static_cast<char>(m_separator));
    for (size_t k = 0; k < m_option.dataSources.size() && k + 1 < names.size(); ++k)
        m_option.dataSources[k].label = names[k + 1];
}
