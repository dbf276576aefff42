// Arbitrary bytes as a project file: the reader refuses or accepts them without a crash,
// a hang or a leak, and what it accepts is written and read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <wx/init.h>

#include "project/ProjectFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    wxSetAssertHandler(nullptr); // as the program does: checks neither report nor stop
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    SavedProject project;
    wxString error;
    if (!ParseProjectText(text, "/fuzz", project, error)) {
        if (error.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    const std::string written = WriteProjectText(project, "/fuzz/p.ardentine");
    SavedProject again;
    if (!ParseProjectText(written, "/fuzz", again, error) ||
        WriteProjectText(again, "/fuzz/p.ardentine") != written)
        std::abort();
    return 0;
}
