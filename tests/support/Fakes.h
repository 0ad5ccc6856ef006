#pragma once

#include <sys/resource.h>

#include <csignal>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/TextPane.h"

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

// Answers the file dialogs from queues (an empty answer cancels) and records each request.
class CRecordingFileDialogs final : public IFileDialogs {
public:
    struct Request {
        std::string title;
        std::string filters;
        bool multiple = false;
    };

    std::optional<std::string> ChooseFolder(const std::string& title, const std::string&) override {
        requests.push_back({title, "", false});
        return Next(folders);
    }
    std::vector<std::string> OpenFiles(const std::string& title, const std::string& filters,
                                       bool multiple) override {
        requests.push_back({title, filters, multiple});
        return Next(openAnswers).value_or(std::vector<std::string>{});
    }
    std::optional<std::string> SaveFile(const std::string& title, const std::string&,
                                        const std::string& filters) override {
        requests.push_back({title, filters, false});
        return Next(saveAnswers);
    }

    std::vector<Request> requests;
    std::deque<std::optional<std::string>> folders;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;

private:
    template <typename T>
    static std::optional<T> Next(std::deque<T>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<T> answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

// Keeps every text it was given.
class CRecordingTextPane final : public ITextPane {
public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
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
