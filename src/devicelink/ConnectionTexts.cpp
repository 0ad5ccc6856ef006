#include "devicelink/ConnectionTexts.h"

#include <cctype>

#include "devicelink/DeviceLink.h"
#include "platform/rapi/Rapi.h"

namespace kiro {

MessageBoxRequest ConnectFailureMessage(ConnectOutcome outcome, rapi::LinkFault fault,
                                        const std::string& problem) {
    if (fault == rapi::LinkFault::NotInstalled && !problem.empty()) {
        std::string text = problem + ".";
        text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
        return {text, "RAPI Connection Error", MessageButtons::Ok, MessageAnswer::Ok,
                MessageOwner::MainWindow};
    }
    switch (outcome) {
        case ConnectOutcome::TimedOut:
            return {
                "Timeout looking for Kiro-SCAN.  Make sure the Kiro-SCAN is connected to your "
                "serial port and that Windows CE Services have been properly installed.",
                "RAPI Connection Error", MessageButtons::Ok, MessageAnswer::Ok,
                MessageOwner::MainWindow};
        case ConnectOutcome::AlreadyInitialised:
            return {
                "RAPI Connection Error -- Already Initialized.  Please exit and restart this "
                "application.",
                "", MessageButtons::Ok, MessageAnswer::Ok, MessageOwner::Application};
        default:
            return {"General RAPI Connection Error", "", MessageButtons::Ok, MessageAnswer::Ok,
                    MessageOwner::Application};
    }
}

std::string ConnectionLostText(const std::string& cause) {
    if (cause == rapi::kMalformedReplyProblem) {
        return std::string("The connection to the Kiro-SCAN was closed: ") + cause + ".";
    }
    return kConnectionLostText;
}

}  // namespace kiro
