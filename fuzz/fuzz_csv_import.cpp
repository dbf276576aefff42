// Arbitrary bytes through the scan (the plain reading or the detected dialect), the import
// (one and two threads) and an export of what was imported. The first bytes choose the
// separator (or its detection), the threads, what the user fixes (decimal mark, a time
// column and its layout, no detection) and a change of the default option; the rest is
// the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>
#include <wx/init.h>

#include "csv/CSVExporter.h"
#include "csv/CSVImporter.h"
#include "csv/NumberParser.h"
#include "model/GraphProject.h"

namespace {

std::string TempPath(const char* suffix)
{
    return "/tmp/fuzz_csv_import." + std::to_string(getpid()) + suffix;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    wxSetAssertHandler(nullptr); // as the program does: checks neither report nor stop
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const char separators[] = {',', '\t', ';', ' '};
    const char separator = separators[data[0] & 3];
    const bool chosenSeparator = (data[0] >> 3) & 1;
    const int threads = (data[0] >> 2) & 1 ? 2 : 1;
    const uint8_t edit = data[1];
    const uint8_t value = data[2];
    const uint8_t reading = data[3];
    const char* text = reinterpret_cast<const char*>(data + 4);
    const size_t length = size - 4;

    double number;
    ParseNumber(text, text + length, number);

    const std::string path = TempPath(".csv");
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(text, 1, length, file);
    std::fclose(file);

    auto project = CreateGraphProject();
    CSVImporter importer(path, *project);
    DialectRequest& request = importer.Request();
    request.detect = (reading & 3) != 3;
    if (request.detect && (reading & 4))
        request.decimal = reading & 8 ? ',' : '.';
    if (request.detect && (reading & 16))
        request.SetColumn(ColumnRequest{(reading >> 5) & 3, ColumnKind::TIME,
                                        TimeLayout(value % (unsigned(TimeLayout::EPOCH_NS) + 1))});
    if (chosenSeparator || !request.detect)
        importer.SetSeparator(separator);
    importer.Tuning().threadCount = threads;
    importer.Tuning().parallelMinBytes = 0;
    if (importer.ScanInfoInternal(nullptr) == ResultCode::SUCCESS) {
        CSVImportOption option = importer.GetOption();
        switch (edit & 7) {
        case 1:
            option.headerRows = value % 8;
            break;
        case 2:
            option.dataRows = value % 8;
            break;
        case 3:
            if (!option.dataSources.empty())
                option.dataSources[0].columnY = value % 8 - 2;
            break;
        case 4:
            for (DataSource& source : option.dataSources)
                source.useDirectVal = true;
            break;
        case 5: // every column a series, text and time columns too
            option.dataSources.clear();
            for (int c = 0; c < importer.GetInfo().columnCount && c < 16; ++c)
                option.dataSources.push_back(DataSource{true, 0, 1, 0, c, ""});
            break;
        default:
            break;
        }
        importer.SetOption(option);
        if (importer.Import(nullptr, 1 + value % 16) == ResultCode::SUCCESS &&
            project->GetCount() > 0) {
            const std::string out = TempPath(".out.csv");
            CSVExporter exporter(out, *project);
            exporter.SetSeparator(separator);
            exporter.ExportInternal(nullptr);
            unlink(out.c_str());
        }
    }
    unlink(path.c_str());
    return 0;
}
