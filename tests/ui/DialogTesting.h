#pragma once

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/testing.h>

#include <functional>

namespace kiro::test {

// While set, a dialog that no wxTEST_DIALOG expects goes to `answer`, which returns the id
// that ends it, or wxID_NONE to let it run for real. While unset, such a dialog fails the
// test. `ended` sees each dialog that ran for real once its modal loop is over.
void SetModalAnswerer(std::function<int(wxDialog*)> answer,
                      std::function<void(wxDialog*)> ended = {});

// Answers one of our own dialogs the way a user would: the functor sees the dialog
// after its controls were filled, works its controls and returns the button id that
// ends it (PressButton presses it for real).
template <class T>
class ExpectDialog final : public wxExpectModalBase<T, ExpectDialog<T>> {
public:
    explicit ExpectDialog(std::function<int(T&)> answer) : m_answer(std::move(answer)) {}

protected:
    int OnInvoked(T* dialog) const override {
        // The hook takes the dialog before it is shown, so fill it as showing would.
        dialog->InitDialog();
        return m_answer(*dialog);
    }

private:
    std::function<int(T&)> m_answer;
};

// Clicks a button through its own event, so that its handlers run as for a real click.
// Returns the button's id.
inline int PressButton(wxWindow* parent, int buttonId) {
    auto* button = dynamic_cast<wxButton*>(parent->FindWindow(buttonId));
    EXPECT_NE(button, nullptr) << "no button " << buttonId;
    if (button != nullptr) {
        wxCommandEvent click(wxEVT_BUTTON, buttonId);
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    }
    return buttonId;
}

}  // namespace kiro::test
