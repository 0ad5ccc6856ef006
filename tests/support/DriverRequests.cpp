#include "support/DriverRequests.h"

#include <cstdio>
#include <cstdlib>

#include "windows/DriverProtocol.h"

namespace kiro::test {

bool DriverPresent() {
    return std::getenv("KIROCONV_DRIVER") != nullptr;
}

std::vector<std::string> AskDriver(const std::vector<std::string>& fields) {
    if (!DriverPresent()) {
        return {};
    }
    std::string request = kDriverRequestMark;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        request += (i == 0 ? "" : "\t") + fields[i];
    }
    request += "\n";
    std::fflush(stdout);
    std::fputs(request.c_str(), stdout);
    std::fflush(stdout);
    std::string answer;
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, stdin) != nullptr) {
        answer += chunk;
        if (answer.ends_with('\n')) {
            break;
        }
    }
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) {
        answer.pop_back();
    }
    return DriverFields(answer);
}

}  // namespace kiro::test
