#pragma once

#include <string>

namespace kiro {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The application's own box carries the caption "KiroConv"; a box owned by the
// main window carries a caption of its own.
enum class MessageOwner { Application, MainWindow };

struct MessageBoxRequest {
    std::string text;
    std::string caption;  // ignored for the application's box
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
    MessageOwner owner = MessageOwner::Application;
};

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MessageAnswer Show(const MessageBoxRequest& request) = 0;
};

}  // namespace kiro
