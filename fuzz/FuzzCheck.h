#pragma once

#include <cstdio>
#include <cstdlib>

namespace kiro::fuzz {

// A broken property is a finding: say which, and abort so that libFuzzer keeps the input.
inline void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

}  // namespace kiro::fuzz
