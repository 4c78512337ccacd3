// AskText: the modal one-line input dialog IDD_ASK_TEXT of save-manager.rc.

#include <windows.h>

#include <string>

#include "app/text.h"
#include "app/ui.h"
#include "main_window.h"
#include "resource.h"

namespace ui {
namespace {

struct AskTextCall {
    const AppText* title;
    const AppText* initial;
    AppText answer;
};

AppText EditText(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return app::FromWide(text);
}

INT_PTR CALLBACK AskTextProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const auto* call = reinterpret_cast<const AskTextCall*>(lParam);
        SetWindowTextW(dialog, app::ToWide(*call->title).c_str());
        HWND edit = GetDlgItem(dialog, IDC_ASK_TEXT_EDIT);
        SetWindowTextW(edit, app::ToWide(*call->initial).c_str());
        // The whole text is selected, so typing replaces it.
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE; // the focus has been set here
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            auto* call = reinterpret_cast<AskTextCall*>(GetWindowLongPtrW(dialog, DWLP_USER));
            call->answer = EditText(GetDlgItem(dialog, IDC_ASK_TEXT_EDIT));
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: // the cancel button, Esc and the close box
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

AskTextResult AskText(const AppText& title, const AppText& initial) {
    AskTextCall call{&title, &initial, {}};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ASK_TEXT), MainWindow(),
                                           AskTextProc, reinterpret_cast<LPARAM>(&call));
    if (result != IDOK) return {false, initial}; // the caller's text stays as it was
    return {true, std::move(call.answer)};
}

} // namespace ui
