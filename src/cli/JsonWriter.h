#pragma once

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

using Json = nlohmann::ordered_json;

// Writes JSON with every floating-point number at 17 significant digits (so that it reads
// back to the same double), NaN as null and infinities as the strings "inf" and "-inf".
std::string DumpJson(const Json& value);
void AppendNumber(std::string& out, double value);
