#include "conversion/ConvertFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "conversion/DelimitedAsciiWriter.h"
#include "conversion/DeviceFileRecord.h"
#include "conversion/KiroBenchWriter.h"
#include "conversion/OutputNaming.h"
#include "conversion/SpcWriter.h"
#include "platform/AtomicFile.h"
#include "platform/TimeText.h"

namespace kiro {
namespace {

// An open source file, closed on every path out of the conversion.
class CSourceFile {
public:
    explicit CSourceFile(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~CSourceFile() { Close(); }
    CSourceFile(const CSourceFile&) = delete;
    CSourceFile& operator=(const CSourceFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to size bytes; -1 on a read error (a folder fails here too).
    ssize_t ReadUpTo(unsigned char* buffer, std::size_t size) {
        std::size_t total = 0;
        while (total < size) {
            const ssize_t got = ::read(m_fd, buffer + total, size - total);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return -1;
            }
            if (got == 0) {
                break;
            }
            total += static_cast<std::size_t>(got);
        }
        return static_cast<ssize_t>(total);
    }

    void Close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

bool OverwriteDeclined(const std::string& outputPath, const ConversionContext& context) {
    if (context.overwritePrompt != 1 || !IsReadableFile(outputPath)) {
        return false;
    }
    MessageBoxRequest request;
    request.text = "File " + outputPath + " exists.  Overwrite?";
    request.caption = "File Overwrite Warning";
    request.buttons = MessageButtons::YesNo;
    request.defaultAnswer = MessageAnswer::Yes;
    request.owner = MessageOwner::MainWindow;
    return context.messageBox.Show(request) == MessageAnswer::No;
}

WriteResult WriteOutput(const CDeviceSpectrum& spectrum, const std::string& outputPath,
                        unsigned outputFormat, const IClock& clock) {
    switch (outputFormat) {
        case kFormatTab:
            return WriteDelimitedAscii(spectrum, outputPath, '\t');
        case kFormatComma:
            return WriteDelimitedAscii(spectrum, outputPath, ',');
        case kFormatKiroBench:
            return WriteKiroBenchFile(spectrum, outputPath, clock);
        default:
            return WriteSpcFile(spectrum, outputPath, clock);
    }
}

void LogConversion(const std::string& sourcePath, const std::string& outputPath,
                   unsigned outputFormat, const ConversionContext& context) {
    if (!context.log.IsEnabled() || !context.log.IsOpen()) {
        return;
    }
    std::string line = "User " + LoggedUserName(context.user) + " converted file " + sourcePath +
                       " to " + outputPath + " (a ";
    line += OutputFormatDescription(outputFormat);
    line += ") on " + FormatTimeStamp(context.clock.LocalNow()) + "\n";
    context.log.WriteLogEntry(line);
}

}  // namespace

int ConvertSpectrumFile(const std::string& sourcePath, unsigned outputFormat,
                        const ConversionContext& context) {
    return ConvertSpectrumFileAs(sourcePath, sourcePath, outputFormat, context);
}

int ConvertSpectrumFileAs(const std::string& readFrom, const std::string& namedAs,
                          unsigned outputFormat, const ConversionContext& context) {
    const auto failed = [&context](int result, int error) {
        if (context.systemError != nullptr) {
            *context.systemError = error;
        }
        return result;
    };
    if (!IsKnownOutputFormat(outputFormat)) {
        return failed(kUnknownOutputFormat, 0);
    }
    const std::optional<std::string> outputPath = OutputPathFor(namedAs, outputFormat);
    if (!outputPath) {
        return failed(kKindNotConvertible, 0);
    }
    CSourceFile source(readFrom);
    if (!source.IsOpen()) {
        return failed(kSourceCannotBeOpened, errno);
    }
    // Asked before the source is read, so declining never costs a read.
    if (OverwriteDeclined(*outputPath, context)) {
        return failed(kOverwriteDeclined, 0);
    }
    unsigned char bytes[kDeviceFileBytes];
    const ssize_t size = source.ReadUpTo(bytes, sizeof bytes);
    const int readError = errno;
    source.Close();
    if (size < 0) {
        return failed(kSourceCannotBeOpened, readError);
    }
    CDeviceSpectrum spectrum;
    if (spectrum.Load(bytes, static_cast<std::size_t>(size)) != SpectrumLoadResult::Loaded) {
        return failed(kNotDeviceSpectrum, 0);
    }
    if (WriteOutput(spectrum, *outputPath, outputFormat, context.clock) != WriteResult::Written) {
        return failed(kOutputCannotBeCreated, errno);
    }
    LogConversion(namedAs, *outputPath, outputFormat, context);
    return failed(kConverted, 0);
}

const char* DescribeConvertResult(int result) {
    switch (result) {
        case kConverted:
            return "converted";
        case kSourceCannotBeOpened:
            return "cannot open the source file";
        case kNotDeviceSpectrum:
            return "not a device spectrum file";
        case kOutputCannotBeCreated:
            return "cannot create the output file";
        case kKindNotConvertible:
            return "kind not convertible";
        case kOverwriteDeclined:
            return "output exists";
        case kUnknownOutputFormat:
            return "unknown output format";
        default:
            return "unknown result";
    }
}

}  // namespace kiro

namespace kiro {

std::string DescribeConvertResult(int result, int systemError) {
    std::string text = DescribeConvertResult(result);
    if (systemError != 0 && (result == kSourceCannotBeOpened || result == kOutputCannotBeCreated)) {
        text += ": ";
        text += std::strerror(systemError);
    }
    return text;
}

}  // namespace kiro
