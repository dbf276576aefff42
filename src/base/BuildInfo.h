#pragma once

#include <string>

// The program's version, the VERSION of the project in CMakeLists.txt ("0.1.0").
const char* ProgramVersion();
// The day the program was built, "YYYY-MM-DD" in UTC; SOURCE_DATE_EPOCH's day when the
// build set it.
const char* BuildDate();
// What --version prints: the program's name and the version ("ardentine 0.1.0").
std::string VersionLine(const char* program);
