#pragma once

#include "seams/MessageBox.h"

class wxWindow;

namespace kiro {

// Message boxes as modal wx message dialogs over the main window, without an icon.
// The application's own box carries the application's title as caption.
class CWxMessageBox final : public IMessageBox {
public:
    explicit CWxMessageBox(wxWindow* parent) : m_parent(parent) {}
    MessageAnswer Show(const MessageBoxRequest& request) override;

private:
    wxWindow* m_parent;
};

}  // namespace kiro
