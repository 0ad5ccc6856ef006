#pragma once

#include <sys/resource.h>

#include <csignal>
#include <deque>
#include <vector>

#include "platform/MessageBox.h"

namespace kiro::test {

// Records every box and answers from a queue (then with the default answer).
class CRecordingMessageBox final : public IMessageBox {
public:
    MessageAnswer Show(const MessageBoxRequest& request) override {
        shown.push_back(request);
        if (!answers.empty()) {
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return request.defaultAnswer;
    }

    std::vector<MessageBoxRequest> shown;
    std::deque<MessageAnswer> answers;
};

// Makes every file write beyond maxBytes fail, as a full disk would, while alive.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t maxBytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = maxBytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~CFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

}  // namespace kiro::test
