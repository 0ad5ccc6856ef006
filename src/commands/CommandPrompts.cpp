#include "commands/CommandPrompts.h"

#include <array>
#include <optional>
#include <utility>

#include "commands/CommandIds.h"

namespace kiro {

namespace {

constexpr std::array<std::pair<int, std::string_view>, 27> kPrompts{{
    {kIdConnect, "Connect to Kiro-SCAN\nConnect"},
    {kIdCreateDirectory, "Create new directory on Kiro-SCAN\nNew Directory"},
    {kIdDeleteFiles, "Delete file from Kiro-SCAN\nDelete File"},
    {kIdOpenSpectrumFile, "Shows spectrum files from your PC in the spectrum preview"},
    {kIdExit, "Quit the application\nExit"},
    {kIdListLargeIcons, "Display items by using large icons\nLarge Icons"},
    {kIdListSmallIcons, "Display items by using small icons\nSmall Icons"},
    {kIdListList, "Display items in a list\nList"},
    {kIdListDetails, "Display detailed information about each item\nDetails"},
    {kIdRefresh, "Refresh Kiro-SCAN Directory Tree\nRefresh"},
    {kIdStatusBar, "Show or hide the status bar\nToggle Status Bar"},
    {kIdSpectrumPreview, "Show or hide the plot of the selected spectrum files"},
    {kIdBrowseTarget, "Browse for the target directory\nBrowse for Target"},
    {kIdOverwritePrompt, "Toggles a prompt for overwriting a converted file"},
    {kIdGo, "Begin the transfer and conversion\nStart Conversion"},
    {kIdConvertLocalFiles, "Converts files already copied to your PC harddrive"},
    {kIdLogEnabled, "Enables/disables loging of file conversion"},
    {kIdViewCurrentLog, "Views current log file"},
    {kIdSetLogFilename, "Sets the default log filename"},
    {kIdViewStoredLog, "Views a stored log file"},
    {kIdClearLog, "Clears the current log file"},
    {kIdHelpTopics, "List Help topics\nHelp Topics"},
    {kIdAbout, "Display program information and version number\nAbout"},
    {kIdContextHelp, "Display help for clicked buttons, menus and windows\nHelp"},
    {kIdHelp, "Display help for current task or command\nHelp"},
    {kIdTargetEdit, "Choose the target directory\nTarget Directory"},
    {kIdActionList, "Choose the default action\nAction"},
}};

}  // namespace

std::string_view CommandPrompt(int id) {
    for (const auto& [commandId, prompt] : kPrompts) {
        if (commandId == id) {
            return prompt;
        }
    }
    // The format items' prompts stand in the output format table.
    if (const std::optional<OutputFormat> format = OutputFormatOfCommand(id)) {
        return RowOf(*format).prompt;
    }
    return {};
}

std::string_view StatusPrompt(int id) {
    const std::string_view prompt = CommandPrompt(id);
    return prompt.substr(0, prompt.find('\n'));
}

std::string_view ToolTipText(int id) {
    const std::string_view prompt = CommandPrompt(id);
    const std::size_t newline = prompt.find('\n');
    return newline == std::string_view::npos ? std::string_view{} : prompt.substr(newline + 1);
}

}  // namespace kiro
