#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "conversion/ConvertFile.h"

namespace kiro {

// Converts a batch of PC files faster than one after the other: a worker thread reads
// and formats the next few files while the caller writes the current one. The caller
// takes the files in order and finishes each on its own thread, so questions, writes,
// log lines and progress stay in the batch's order exactly as without the worker.
class CConversionPipeline {
public:
    // When the batch does not simply replace outputs, a file whose output exists is read
    // only after the answer, so that keeping existing outputs costs no reading. The
    // context serves the whole batch and outlives it.
    CConversionPipeline(std::vector<std::string> sources, std::optional<OutputFormat> format,
                        const ConversionContext& context);
    ~CConversionPipeline();
    CConversionPipeline(const CConversionPipeline&) = delete;
    CConversionPipeline& operator=(const CConversionPipeline&) = delete;

    std::size_t Size() const { return m_sources.size(); }
    const std::string& Source(std::size_t index) const { return m_sources[index]; }

    // Converts the next file of the batch (they are taken in order).
    ConversionOutcome ConvertNext();

private:
    PreparedConversion TakeNext();
    PreparedConversion Prepare(const std::string& source) const;
    void PrepareAhead();

    const std::vector<std::string> m_sources;
    const std::optional<OutputFormat> m_format;
    const ConversionContext& m_context;
    std::size_t m_next = 0;  // the caller's place in the batch; only its thread uses it

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PreparedConversion> m_ready;  // the files after the caller's, prepared in order
    std::exception_ptr m_failure;
    bool m_stopping = false;
    std::thread m_worker;
};

}  // namespace kiro
