#pragma once

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Trash.h"
#include "seams/DeviceControls.h"
#include "seams/FileDialogs.h"
#include "seams/MessageBox.h"
#include "seams/TextPane.h"

namespace kiro::test {

// Pops the next scripted answer; an empty queue answers as Cancel would.
template <typename T>
T NextAnswer(std::deque<T>& answers) {
    if (answers.empty()) {
        return T{};
    }
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

// Records every box and answers from a queue (then with the default answer).
class CRecordingMessageBox final : public IMessageBox {
public:
    MessageAnswer Show(const MessageBoxRequest& request) override {
        shown.push_back(request);
        if (onShow) {
            onShow();
        }
        return answers.empty() ? request.defaultAnswer : NextAnswer(answers);
    }

    std::vector<MessageBoxRequest> shown;
    std::deque<MessageAnswer> answers;
    std::function<void()> onShow;  // runs while the box is up, before its answer
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
        return NextAnswer(folders);
    }
    std::vector<std::string> OpenFiles(const std::string& title, const std::string& filters,
                                       bool multiple) override {
        requests.push_back({title, filters, multiple});
        return NextAnswer(openAnswers);
    }
    std::optional<std::string> SaveFile(const std::string& title, const std::string&,
                                        const std::string& filters) override {
        requests.push_back({title, filters, false});
        return NextAnswer(saveAnswers);
    }

    std::vector<Request> requests;
    std::deque<std::optional<std::string>> folders;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
};

class CRecordingTextPane final : public ITextPane {
public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class CRecordingProgressBar final : public IProgressBar {
public:
    void SetRange(int, int to) override { upper = to; }
    void SetPos(int position) override { positions.push_back(position); }
    void Repaint() override {
        ++repaints;
        if (onRepaint) {
            onRepaint();
        }
    }

    int upper = -1;  // the range's end, -1 until one is set
    int repaints = 0;
    std::vector<int> positions;
    std::function<void()> onRepaint;
};

// A trash of the test's own, a folder: it takes each file it is given (numbered in the
// order taken) or, with a refusal set, refuses as a file system without a trash would.
class CFolderTrash {
public:
    explicit CFolderTrash(std::filesystem::path folder) : m_folder(std::move(folder)) {
        std::filesystem::create_directories(m_folder);
    }
    TrashOutcome Take(const std::filesystem::path& path) {
        if (!refusal.empty()) {
            return {false, refusal};
        }
        std::error_code error;
        std::filesystem::create_directories(m_folder, error);
        std::filesystem::rename(path, m_folder / std::to_string(taken.size()), error);
        if (error) {
            return {false, error.message()};
        }
        taken.push_back(path);
        if (afterTaking) {
            afterTaking(path);
        }
        return {true, ""};
    }
    TrashFunction Function() {
        return [this](const std::filesystem::path& path) { return Take(path); };
    }
    // The bytes of the n-th file taken.
    std::filesystem::path Item(std::size_t n) const { return m_folder / std::to_string(n); }

    std::string refusal;
    std::vector<std::filesystem::path> taken;
    std::function<void(const std::filesystem::path&)> afterTaking;

private:
    std::filesystem::path m_folder;
};

// A locale whose decimal separator is a comma, by the system's own name for it.
#ifdef _WIN32
inline constexpr const char* kCommaDecimalLocale = "German_Germany.1252";
#else
inline constexpr const char* kCommaDecimalLocale = "de_DE.UTF-8";
#endif

// Makes every file write beyond maxBytes fail, as a full disk would, while alive.
#ifndef _WIN32
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
#define KIRO_SKIP_WITHOUT_FILE_SIZE_LIMIT()
#define KIRO_SKIP_WITHOUT_FIFOS()
#else
// Windows has no per-process file size limit, and a full volume cannot be made for a
// test: the tests that need one say so and skip.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(std::uint64_t) {}
};
#define KIRO_SKIP_WITHOUT_FILE_SIZE_LIMIT() \
    GTEST_SKIP() << "a full disk is made with a file size limit, which Windows lacks"
#define KIRO_SKIP_WITHOUT_FIFOS() GTEST_SKIP() << "Windows has no FIFOs in its file system"
#endif

}  // namespace kiro::test
