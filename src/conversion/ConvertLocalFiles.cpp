#include "conversion/ConvertLocalFiles.h"

#include "log/LogCommands.h"
#include "platform/DisplayText.h"
#include "seams/WindowTexts.h"

namespace kiro {
namespace {

constexpr const char* kDialogTitle = "Convert Local Kiro-SCAN Files";
constexpr const char* kFilters =
    "Kiro-SCAN Files|*.scope_ks;*.absorbance_ks;*.transmission_ks;*.irradiance_ks;*.dark_ks;"
    "*.reference_ks;*.background_ks;*.backgrounddark_ks|All Files (*.*)|*.*";

// A box taller than the screen helps nobody: the rest is counted, not listed.
constexpr std::size_t kMaxListedFailures = 20;

bool IsFailure(const LocalConversion& conversion) {
    const ConversionStatus status = conversion.outcome.status;
    return status != ConversionStatus::Converted && status != ConversionStatus::OverwriteDeclined;
}

}  // namespace

CConvertLocalFiles::CConvertLocalFiles(IFileDialogs& fileDialogs, ITextPane& statusPane,
                                       IMessageBox& messageBox, CActivityLog& log,
                                       const IClock& clock, const IUserName& user, BusyHook busy)
    : m_fileDialogs(fileDialogs),
      m_statusPane(statusPane),
      m_messageBox(messageBox),
      m_log(log),
      m_clock(clock),
      m_user(user),
      m_busy(std::move(busy)) {}

std::vector<LocalConversion> CConvertLocalFiles::OnConvertLocalFiles(
    std::optional<OutputFormat> format, OutputOverwrite overwrite) {
    const std::vector<std::string> files = m_fileDialogs.OpenFiles(kDialogTitle, kFilters, true);
    std::vector<LocalConversion> conversions;
    if (!files.empty()) {
        const CBusyScope busy(m_busy);
        conversions = ConvertAll(files, format, overwrite);
    }
    m_log.FlushLog();
    m_statusPane.SetText(kIdleStatusText);
    ReportFailures(conversions);
    ReportLogFailureOnce(m_log, m_messageBox);
    return conversions;
}

std::vector<LocalConversion> CConvertLocalFiles::ConvertAll(const std::vector<std::string>& files,
                                                            std::optional<OutputFormat> format,
                                                            OutputOverwrite overwrite) {
    std::vector<LocalConversion> conversions;
    conversions.reserve(files.size());
    const ConversionContext context(overwrite, m_messageBox, m_log, m_clock, m_user);
    const std::string ofCount = " of " + std::to_string(files.size());
    for (std::size_t k = 0; k < files.size(); ++k) {
        m_statusPane.SetText("Now converting " + files[k] + " -- file " + std::to_string(k + 1) +
                             ofCount);
        conversions.push_back(
            {files[k], ConvertSpectrumFileAs(files[k], files[k], format, context)});
    }
    return conversions;
}

void CConvertLocalFiles::ReportFailures(const std::vector<LocalConversion>& conversions) {
    const std::string text = FormatLocalConversionFailures(conversions);
    if (!text.empty()) {
        MessageBoxRequest request;
        request.text = text;
        m_messageBox.Show(request);
    }
}

std::string FormatLocalConversionFailures(const std::vector<LocalConversion>& conversions) {
    std::size_t failures = 0;
    std::string list;
    for (const LocalConversion& conversion : conversions) {
        if (!IsFailure(conversion)) {
            continue;
        }
        if (++failures <= kMaxListedFailures) {
            list += "\n" + EscapeControlCharacters(conversion.sourcePath) + ": " +
                    DescribeConversionOutcome(conversion.outcome);
        }
    }
    if (failures == 0) {
        return "";
    }
    if (failures > kMaxListedFailures) {
        list += "\n... and " + std::to_string(failures - kMaxListedFailures) + " more";
    }
    return "Not converted (" + std::to_string(failures) + " of " +
           std::to_string(conversions.size()) + " files):\n" + list;
}

}  // namespace kiro
