// about_view_win.cpp -- the About form as a real modal Win32 dialog, built
// from an in-memory template. The controls are placed from the form's twips
// (1440 per inch) in pixels of the screen; the form has no owner, and while
// it is shown the thread's other windows are disabled, as a modal form does.
#include "Form1.h"
#include "Globals.h"
#include "platform.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tvk {
namespace Globals {
namespace {

constexpr WORD first_control_id = 101; // Controls[i] has the id 101 + i

struct DialogState {
    Form1 *form = nullptr;
    std::vector<HFONT> fonts;
    std::vector<HWND> disabled; // the thread's windows disabled by the dialog
};

std::wstring wide(const String &text) {
    return std::wstring(text.begin(), text.end());
}

// The dialog template: caption, font and one item per control, in tab order.
// Positions are set in pixels when the dialog starts.
std::vector<WORD> build_template(const Form1 &form) {
    std::vector<WORD> t;
    auto put_dword = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto put_text = [&t](const std::wstring &s) {
        for (wchar_t c : s)
            t.push_back(static_cast<WORD>(c));
        t.push_back(0);
    };
    auto align_dword = [&t]() {
        if (t.size() % 2)
            t.push_back(0);
    };

    put_dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    put_dword(0);
    t.push_back(static_cast<WORD>(form.Controls.size()));
    t.push_back(0); // x, y, cx, cy: set when the dialog starts
    t.push_back(0);
    t.push_back(200);
    t.push_back(150);
    t.push_back(0); // no menu
    t.push_back(0); // standard dialog class
    put_text(wide(form.Caption));
    t.push_back(8);
    put_text(L"MS Shell Dlg");

    WORD id = first_control_id;
    for (const FormControl &control : form.Controls) {
        align_dword();
        DWORD style = WS_CHILD | WS_VISIBLE;
        WORD atom = 0x0082; // static
        std::wstring text = wide(control.Content);
        switch (control.Kind) {
        case ControlKind::MultiLineTextBox:
            atom = 0x0081; // edit
            style |=
                WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
            break;
        case ControlKind::Label:
            style |= SS_NOPREFIX | (control.Centred ? SS_CENTER : SS_LEFT);
            break;
        case ControlKind::LinkLabel:
            style |= SS_NOPREFIX | SS_NOTIFY | SS_LEFT;
            break;
        case ControlKind::CommandButton:
            atom = 0x0080; // button
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        }
        put_dword(style);
        put_dword(0);
        for (int i = 0; i < 4; ++i)
            t.push_back(0);
        t.push_back(id++);
        t.push_back(0xFFFF);
        t.push_back(atom);
        put_text(text);
        t.push_back(0); // no creation data
    }
    return t;
}

HFONT make_font(HWND dialog, const FontSpec &font) {
    const int dpi =
        platform_screen_dpi(reinterpret_cast<std::uintptr_t>(dialog), PlatformAxis::vertical);
    const int height = -static_cast<int>(font.Size * dpi / 72.0 + 0.5);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, font.Underline ? TRUE : FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, wide(font.Name).c_str());
}

BOOL CALLBACK disable_other_window(HWND hwnd, LPARAM lp) {
    auto *state = reinterpret_cast<std::pair<HWND, DialogState *> *>(lp);
    if (hwnd != state->first && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        state->second->disabled.push_back(hwnd);
    }
    return TRUE;
}

void init_dialog(HWND dialog, DialogState *state) {
    Form1 &form = *state->form;
    form.Window = reinterpret_cast<std::uintptr_t>(dialog);
    const int dpi_x =
        platform_screen_dpi(reinterpret_cast<std::uintptr_t>(dialog), PlatformAxis::horizontal);
    const int dpi_y =
        platform_screen_dpi(reinterpret_cast<std::uintptr_t>(dialog), PlatformAxis::vertical);

    // The client area, and the dialog centred on the screen.
    RECT frame = {0, 0, MulDiv(Form1::ClientWidth, dpi_x, 1440),
                  MulDiv(Form1::ClientHeight, dpi_y, 1440)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    WORD id = first_control_id;
    for (const FormControl &control : form.Controls) {
        HWND item = GetDlgItem(dialog, id++);
        SetWindowPos(item, nullptr, MulDiv(control.Left, dpi_x, 1440),
                     MulDiv(control.Top, dpi_y, 1440), MulDiv(control.Width, dpi_x, 1440),
                     MulDiv(control.Height, dpi_y, 1440), SWP_NOZORDER | SWP_NOACTIVATE);
        if (!control.Font.Default) {
            HFONT font = make_font(dialog, control.Font);
            if (font) {
                state->fonts.push_back(font);
                SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            }
        }
    }

    std::pair<HWND, DialogState *> self(dialog, state);
    EnumThreadWindows(GetCurrentThreadId(), disable_other_window, reinterpret_cast<LPARAM>(&self));
    SetFocus(GetDlgItem(dialog, static_cast<int>(first_control_id + form.Controls.size() - 1)));
}

void end_dialog(HWND dialog, DialogState *state) {
    for (HWND hwnd : state->disabled)
        if (IsWindow(hwnd))
            EnableWindow(hwnd, TRUE);
    state->disabled.clear();
    EndDialog(dialog, 0);
}

bool is_link(const Form1 &form, WORD id) {
    const std::size_t index = static_cast<std::size_t>(id - first_control_id);
    return index < form.Controls.size() && form.Controls[index].Kind == ControlKind::LinkLabel;
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto *state = reinterpret_cast<DialogState *>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        init_dialog(dialog, reinterpret_cast<DialogState *>(lp));
        return FALSE; // the focus is set already
    case WM_CTLCOLORSTATIC:
        if (state && state->form &&
            is_link(*state->form, static_cast<WORD>(GetDlgCtrlID(reinterpret_cast<HWND>(lp))))) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, RGB(0, 0, 255));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_SETCURSOR:
        if (state && state->form &&
            is_link(*state->form, static_cast<WORD>(GetDlgCtrlID(reinterpret_cast<HWND>(wp))))) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND: {
        if (!state || !state->form)
            return FALSE;
        const WORD id = LOWORD(wp);
        const WORD code = HIWORD(wp);
        Form1 &form = *state->form;
        const std::size_t index = static_cast<std::size_t>(id - first_control_id);
        if (index < form.Controls.size() && code == STN_CLICKED &&
            form.Controls[index].Kind == ControlKind::LinkLabel) {
            if (form.Controls[index].Name == u"Label2")
                form.Label2_Click();
            else
                form.Label4_Click();
            return TRUE;
        }
        if (index < form.Controls.size() && code == BN_CLICKED &&
            form.Controls[index].Kind == ControlKind::CommandButton) {
            // Exit: the dialog goes, and the form releases its shared instance.
            state->form = nullptr;
            end_dialog(dialog, state);
            form.Command1_Click();
            return TRUE;
        }
        if (id == IDCANCEL) { // Esc or the close box: unloaded, not released
            form.Unload();
            state->form = nullptr;
            end_dialog(dialog, state);
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        if (state) {
            for (HWND hwnd : state->disabled)
                if (IsWindow(hwnd))
                    EnableWindow(hwnd, TRUE);
            state->disabled.clear();
        }
        return FALSE;
    default:
        return FALSE;
    }
}

HINSTANCE this_module() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&this_module), &self);
    return self;
}

} // namespace

void ShowAboutForm(Form1 &form) {
    std::vector<WORD> dialog_template = build_template(form);
    DialogState state;
    state.form = &form;
    const INT_PTR rc = DialogBoxIndirectParamW(
        this_module(), reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data()), nullptr,
        dialog_proc, reinterpret_cast<LPARAM>(&state));
    for (HFONT font : state.fonts)
        DeleteObject(font);
    // The dialog could not be shown: the form is unloaded, as after a close.
    if (rc == -1 && state.form)
        form.Unload();
}

} // namespace Globals
} // namespace tvk
