#pragma once

// How a Windows test program under wine asks kiroconv_wine_driver for what only Linux can
// do: a line on its standard output holding this mark, then the request's fields
// separated by tabs; the answer comes as one line on its standard input, "ok" first.
namespace kiro::test {

inline constexpr const char* kDriverRequestMark = "\x1b[kiroconv-driver]";

}  // namespace kiro::test
