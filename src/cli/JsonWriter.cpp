#include "cli/JsonWriter.h"

#include <charconv>
#include <cmath>

void AppendNumber(std::string& out, double value)
{
    if (std::isnan(value)) {
        out += "null";
        return;
    }
    if (std::isinf(value)) {
        out += value > 0 ? "\"inf\"" : "\"-inf\"";
        return;
    }
    char buffer[32];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    out.append(buffer, result.ptr);
}

namespace {

void Dump(const Json& value, std::string& out)
{
    switch (value.type()) {
    case Json::value_t::object: {
        out += '{';
        bool first = true;
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!first)
                out += ',';
            first = false;
            out += Json(it.key()).dump();
            out += ':';
            Dump(it.value(), out);
        }
        out += '}';
        break;
    }
    case Json::value_t::array: {
        out += '[';
        bool first = true;
        for (const auto& element : value) {
            if (!first)
                out += ',';
            first = false;
            Dump(element, out);
        }
        out += ']';
        break;
    }
    case Json::value_t::number_float:
        AppendNumber(out, value.get<double>());
        break;
    default:
        // Strings are escaped by the library, as are integers and literals.
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
        break;
    }
}

} // namespace

std::string DumpJson(const Json& value)
{
    std::string out;
    Dump(value, out);
    return out;
}
