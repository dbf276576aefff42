#include "csv/SplitJoin.h"

#include <algorithm>
#include <climits>

#include <unistd.h>
#include <wx/intl.h>

bool IsLineStart(int fd, int64_t offset, char terminator)
{
    char before = 0;
    return pread(fd, &before, 1, offset - 1) == 1 && before == terminator;
}

ResultCode ReportPart(const FilePart& part, int64_t firstLine, const wxString& fileName,
                      wxString& message)
{
    const int line = static_cast<int>(std::min<int64_t>(firstLine + part.line + 1, INT32_MAX));
    switch (part.result) {
    case PartEnd::DONE:
        return ResultCode::SUCCESS;
    case PartEnd::TOO_LONG:
        message = wxString::Format(_("The length of the line in CSV file is too much at %s:%d!"),
                                   fileName, line);
        return ResultCode::FAILURE;
    case PartEnd::BAD_VALUE:
        message = wxString::Format(
            _("Conversion from string to numerical value is failed at %s:%d!"), fileName, line);
        return ResultCode::FAILURE;
    case PartEnd::READ_ERROR:
        message = wxString::Format(_("Can't read \"%s\"!"), fileName);
        return ResultCode::FAILURE;
    case PartEnd::TOO_MANY:
        message = wxString::Format(_("\"%s\" has too many lines!"), fileName);
        return ResultCode::FAILURE;
    case PartEnd::CHANGED:
        message = wxString::Format(_("\"%s\" has changed since it was scanned!"), fileName);
        return ResultCode::FAILURE;
    case PartEnd::STOPPED:
        break;
    }
    return ResultCode::CANCELLED;
}
