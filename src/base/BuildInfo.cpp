#include "base/BuildInfo.h"

// Generated into the build tree; only this file includes it, so a new date recompiles
// nothing else.
#include "ardentine_build_info.h"

const char* ProgramVersion()
{
    return ARDENTINE_VERSION;
}

const char* BuildDate()
{
    return ARDENTINE_BUILD_DATE;
}

std::string VersionLine(const char* program)
{
    return std::string(program) + " " + ProgramVersion();
}
