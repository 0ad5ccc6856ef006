#pragma once

// How a Windows test program under wine asks kiroconv_wine_driver for what only Linux can
// do: a line on its standard output holding this mark, then the request's fields
// separated by tabs; the answer comes as one line on its standard input, "ok" first.
#include <string>
#include <vector>

namespace kiro::test {

inline constexpr const char* kDriverRequestMark = "\x1b[kiroconv-driver]";

// The fields of a request or an answer.
inline std::vector<std::string> DriverFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos;
         tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace kiro::test
