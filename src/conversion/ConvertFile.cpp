#include "conversion/ConvertFile.h"

#include <cerrno>
#include <filesystem>
#include <optional>

#include "conversion/DeviceFileRecord.h"
#include "conversion/OutputNaming.h"
#include "platform/AtomicFile.h"
#include "platform/FileCalls.h"
#include "platform/FileChecks.h"
#include "platform/RegularFile.h"
#include "platform/TimeText.h"
#include "platform/UserName.h"

namespace kiro {
namespace {

// An open source file, closed on every path out of the conversion.
class CSourceFile {
public:
    CSourceFile() = default;
    ~CSourceFile() { Close(); }
    CSourceFile(const CSourceFile&) = delete;
    CSourceFile& operator=(const CSourceFile&) = delete;

    // A FIFO or device is refused, never waited on.
    bool Open(const std::string& path, int& error) {
        m_fd = OpenRegularFileForReading(PathFromUtf8(path), error);
        return m_fd >= 0;
    }

    // Reads up to size bytes; -1 on a read error.
    std::int64_t ReadUpTo(unsigned char* buffer, std::size_t size) {
        return ReadFully(m_fd, buffer, size);
    }

    void Close() {
        if (m_fd >= 0) {
            CloseFile(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd = -1;
};

// Asks whether an existing output may be replaced; nothing when no question is due.
std::optional<MessageAnswer> AskOverwrite(const std::string& outputPath,
                                          const ConversionContext& context) {
    if (context.overwrite == OutputOverwrite::Replace ||
        !IsReadableFile(PathFromUtf8(outputPath))) {
        return std::nullopt;
    }
    if (context.overwrite == OutputOverwrite::Keep) {
        return MessageAnswer::No;
    }
    MessageBoxRequest request;
    request.text = "File " + outputPath + " exists.  Overwrite?";
    request.caption = "File Overwrite Warning";
    request.buttons = MessageButtons::YesNo;
    request.defaultAnswer = MessageAnswer::Yes;
    request.owner = MessageOwner::MainWindow;
    return context.messageBox.Show(request);
}

void LogConversion(const std::string& sourcePath, const std::string& outputPath,
                   OutputFormat format, const ConversionContext& context) {
    if (!context.log.IsEnabled() || !context.log.IsOpen()) {
        return;
    }
    std::string line = "User " + LoggedUserName(context.user) + " converted file " + sourcePath +
                       " to " + outputPath + " (a ";
    line += RowOf(format).description;
    line += ") on " + FormatTimeStamp(context.clock.LocalNow()) + "\n";
    context.log.WriteLogEntry(line);
}

PreparedConversion Refused(ConversionStatus status, int systemError = 0) {
    PreparedConversion prepared;
    prepared.outcome.status = status;
    prepared.outcome.systemError = systemError;
    return prepared;
}

// The checks made before anything is read: a known format, a convertible kind and a
// source that opens, which is left open in `source`.
PreparedConversion OpenForConversion(const std::string& readFrom, const std::string& namedAs,
                                     std::optional<OutputFormat> format,
                                     const std::string& outputFolder, CSourceFile& source) {
    if (!format) {
        return Refused(ConversionStatus::UnknownOutputFormat);
    }
    std::optional<std::string> outputPath = OutputPathFor(namedAs, *format, outputFolder);
    if (!outputPath) {
        return Refused(ConversionStatus::KindNotConvertible);
    }
    int error = 0;
    if (!source.Open(readFrom, error)) {
        return Refused(ConversionStatus::SourceCannotBeOpened, error);
    }
    PreparedConversion prepared;
    prepared.sourceOpened = true;
    prepared.outcome.outputPath = std::move(*outputPath);
    return prepared;
}

// The output's bytes, or the reason the format cannot hold this spectrum.
void MakeOutput(const CDeviceSpectrum& spectrum, const std::string& namedAs, OutputFormat format,
                const ConversionContext& context, ConversionOutcome& outcome, std::string& bytes) {
    const OutputFormatRow& row = RowOf(format);
    if (row.refusal != nullptr) {
        outcome.formatRefusal = row.refusal(spectrum);
        if (!outcome.formatRefusal.empty()) {
            outcome.status = ConversionStatus::OutputCannotBeCreated;
            return;
        }
    }
    const std::string sourceName = Utf8FromPath(PathFromUtf8(namedAs).filename());
    bytes = row.writer(spectrum, {context.clock, sourceName, LoggedUserName(context.user)});
}

int ConvertResultOf(ConversionStatus status) {
    switch (status) {
        case ConversionStatus::Converted:
            return kConverted;
        case ConversionStatus::SourceCannotBeOpened:
            return kSourceCannotBeOpened;
        case ConversionStatus::NotDeviceSpectrum:
            return kNotDeviceSpectrum;
        case ConversionStatus::OutputCannotBeCreated:
            return kOutputCannotBeCreated;
        case ConversionStatus::KindNotConvertible:
            return kKindNotConvertible;
        case ConversionStatus::OverwriteDeclined:
            return kOverwriteDeclined;
        default:
            return kUnknownOutputFormat;
    }
}

}  // namespace

PreparedConversion PrepareConversion(const std::string& readFrom, const std::string& namedAs,
                                     std::optional<OutputFormat> format,
                                     const ConversionContext& context) {
    CSourceFile source;
    PreparedConversion prepared =
        OpenForConversion(readFrom, namedAs, format, context.outputFolder, source);
    if (!prepared.sourceOpened) {
        return prepared;
    }
    unsigned char bytes[kDeviceFileBytes];
    const std::int64_t size = source.ReadUpTo(bytes, sizeof bytes);
    const int readError = errno;
    source.Close();
    prepared.contentRead = true;
    CDeviceSpectrum spectrum;
    if (size < 0) {
        prepared.outcome.status = ConversionStatus::SourceCannotBeOpened;
        prepared.outcome.systemError = readError;
    } else if (spectrum.Load(bytes, static_cast<std::size_t>(size)) != SpectrumLoadResult::Loaded) {
        prepared.outcome.status = ConversionStatus::NotDeviceSpectrum;
    } else {
        MakeOutput(spectrum, namedAs, *format, context, prepared.outcome, prepared.bytes);
    }
    return prepared;
}

ConversionOutcome FinishConversion(PreparedConversion prepared, const std::string& readFrom,
                                   const std::string& namedAs, std::optional<OutputFormat> format,
                                   const ConversionContext& context) {
    if (!prepared.sourceOpened) {
        return prepared.outcome;
    }
    const std::optional<MessageAnswer> answer = AskOverwrite(prepared.outcome.outputPath, context);
    if (answer == MessageAnswer::No) {
        prepared.outcome.status = ConversionStatus::OverwriteDeclined;
        return prepared.outcome;
    }
    // Read now when nothing was read yet; after a Yes, read again, since the user may
    // have taken a while: the output is made from the source as it is now, and dated now.
    if (answer || !prepared.contentRead) {
        prepared = PrepareConversion(readFrom, namedAs, format, context);
    }
    ConversionOutcome& outcome = prepared.outcome;
    if (!outcome.Converted()) {
        return outcome;
    }
    if (WriteFileAtomically(PathFromUtf8(outcome.outputPath), prepared.bytes) !=
        AtomicWriteResult::Written) {
        outcome.status = ConversionStatus::OutputCannotBeCreated;
        outcome.systemError = errno;
        return outcome;
    }
    LogConversion(namedAs, outcome.outputPath, *format, context);
    return outcome;
}

PreparedConversion CheckConversion(const std::string& readFrom, const std::string& namedAs,
                                   std::optional<OutputFormat> format,
                                   const ConversionContext& context) {
    CSourceFile probe;
    return OpenForConversion(readFrom, namedAs, format, context.outputFolder, probe);
}

ConversionOutcome ConvertSpectrumFileAs(const std::string& readFrom, const std::string& namedAs,
                                        std::optional<OutputFormat> format,
                                        const ConversionContext& context) {
    // One file on its own is only checked before the overwrite question and read after
    // it, so that declining never costs a read.
    return FinishConversion(CheckConversion(readFrom, namedAs, format, context), readFrom, namedAs,
                            format, context);
}

int ConvertSpectrumFile(const std::string& sourcePath, unsigned outputFormat,
                        const ConversionContext& context) {
    return ConvertResultOf(
        ConvertSpectrumFileAs(sourcePath, sourcePath, OutputFormatFromCode(outputFormat), context)
            .status);
}

}  // namespace kiro
