#pragma once

#include <cstdio>
#include <string>
#include <tuple>
#include <type_traits>

#include "platform/DisplayText.h"

namespace kiro::cli {
namespace detail {

inline std::string ForTerminal(const std::string& text) {
    return EscapeControlCharacters(text);
}
inline std::string ForTerminal(const char* text) {
    return EscapeControlCharacters(text);
}
template <typename Number>
requires std::is_arithmetic_v<Number> Number ForTerminal(Number value) {
    return value;
}

inline const char* FormatArgument(const std::string& text) {
    return text.c_str();
}
template <typename Number>
Number FormatArgument(Number value) {
    return value;
}

}  // namespace detail

// Every line the command line prints passes through here. Each text filled into the
// format (a handheld name, a PC path, a reason) is shown with its control characters
// escaped, so that a name can neither drive the terminal nor fake a line of its own;
// only the format's own characters, such as the final "\n", reach the terminal raw.
template <typename... Args>
void PrintLine(std::FILE* stream, const char* format, const Args&... args) {
    if constexpr (sizeof...(Args) == 0) {
        std::fputs(format, stream);
    } else {
        const auto shown = std::make_tuple(detail::ForTerminal(args)...);
        std::apply(
            [&](const auto&... each) {
                std::fprintf(stream, format, detail::FormatArgument(each)...);
            },
            shown);
    }
}

}  // namespace kiro::cli
