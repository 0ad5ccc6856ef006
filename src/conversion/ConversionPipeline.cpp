#include "conversion/ConversionPipeline.h"

#include <optional>

#include "conversion/OutputNaming.h"
#include "platform/FileCalls.h"
#include "platform/FileChecks.h"

namespace kiro {
namespace {

// Enough to keep the worker busy while a file is written, and little memory (each
// prepared output is at most a few tens of kilobytes).
constexpr std::size_t kFilesAhead = 4;

}  // namespace

CConversionPipeline::CConversionPipeline(std::vector<std::string> sources,
                                         std::optional<OutputFormat> format,
                                         const ConversionContext& context)
    : m_sources(std::move(sources)), m_format(format), m_context(context) {
    // A single file gains nothing from a second thread.
    if (m_sources.size() > 1) {
        m_worker = std::thread([this] { PrepareAhead(); });
    }
}

CConversionPipeline::~CConversionPipeline() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

PreparedConversion CConversionPipeline::Prepare(const std::string& source) const {
    if (m_context.overwrite != OutputOverwrite::Replace && m_format) {
        const std::optional<std::string> output =
            OutputPathFor(source, *m_format, m_context.outputFolder);
        if (output && IsReadableFile(PathFromUtf8(*output))) {
            return CheckConversion(source, source, m_format, m_context);
        }
    }
    return PrepareConversion(source, source, m_format, m_context);
}

void CConversionPipeline::PrepareAhead() {
    try {
        for (std::size_t index = 0; index < m_sources.size(); ++index) {
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stopping || m_ready.size() < kFilesAhead; });
                if (m_stopping) {
                    return;
                }
            }
            PreparedConversion prepared = Prepare(m_sources[index]);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_ready.push_back(std::move(prepared));
            }
            m_changed.notify_all();
        }
    } catch (...) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failure = std::current_exception();
        m_changed.notify_all();
    }
}

PreparedConversion CConversionPipeline::TakeNext() {
    const std::string& source = m_sources.at(m_next);
    if (!m_worker.joinable()) {
        ++m_next;
        return Prepare(source);
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_ready.empty() || m_failure; });
    if (m_ready.empty()) {
        std::rethrow_exception(m_failure);
    }
    PreparedConversion prepared = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    ++m_next;
    m_changed.notify_all();
    return prepared;
}

ConversionOutcome CConversionPipeline::ConvertNext() {
    const std::string& source = m_sources.at(m_next);
    return FinishConversion(TakeNext(), source, source, m_format, m_context);
}

}  // namespace kiro
