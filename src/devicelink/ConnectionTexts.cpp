#include "devicelink/ConnectionTexts.h"

#include "devicelink/DeviceLink.h"
#include "platform/rapi/Rapi.h"

namespace kiro {

MessageBoxRequest ConnectFailureMessage(ConnectOutcome outcome) {
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
