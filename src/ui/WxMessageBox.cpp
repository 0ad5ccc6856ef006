#include "ui/WxMessageBox.h"

#include <wx/msgdlg.h>

#include "seams/WindowTexts.h"
#include "ui/WxText.h"

namespace kiro {

MessageAnswer CWxMessageBox::Show(const MessageBoxRequest& request) {
    const std::string& caption =
        request.owner == MessageOwner::Application ? kApplicationTitle : request.caption;
    long style = wxICON_NONE | wxCENTRE;
    if (request.buttons == MessageButtons::YesNo) {
        style |=
            wxYES_NO | (request.defaultAnswer == MessageAnswer::No ? wxNO_DEFAULT : wxYES_DEFAULT);
    } else {
        style |= wxOK;
    }
    wxMessageDialog dialog(m_parent, ToWx(request.text), ToWx(caption), style);
    switch (dialog.ShowModal()) {
        case wxID_YES:
            return MessageAnswer::Yes;
        case wxID_NO:
            return MessageAnswer::No;
        default:
            // Closing a Yes/No box another way counts as its safe answer.
            return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

}  // namespace kiro
