#include "InputBox.h"

#include <vector>

#include "outside/ProductIdentity.h"
#include "outside/win32/Wide.h"

namespace support {
namespace {

// An in-memory dialog template, so the box needs no resource of its own.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short cx, short cy, const std::wstring& title, short pointSize,
                   const std::wstring& font) {
        Dword(style);
        Dword(0);
        countAt_ = words_.size();
        Word(0);
        for (short v : {short(0), short(0), cx, cy}) Word(static_cast<WORD>(v));
        Word(0);  // no menu
        Word(0);  // the standard dialog class
        String(title);
        Word(static_cast<WORD>(pointSize));
        String(font);
    }
    // atom: 0x80 button, 0x81 edit, 0x82 static.
    void Item(WORD atom, DWORD style, short x, short y, short cx, short cy, WORD id, const std::wstring& text,
              DWORD exStyle = 0) {
        while (words_.size() % 2) Word(0);  // each item starts on a DWORD
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(exStyle);
        for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
        Word(id);
        Word(0xFFFF);
        Word(atom);
        String(text);
        Word(0);  // no creation data
        ++words_[countAt_];
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void String(const std::wstring& s) {
        for (wchar_t c : s) Word(static_cast<WORD>(c));
        Word(0);
    }
    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

struct BoxState {
    std::wstring defaultAnswer;
    std::wstring answer;
};

INT_PTR CALLBACK BoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: {
            ::SetWindowLongPtrW(box, DWLP_USER, lParam);
            const auto* state = reinterpret_cast<BoxState*>(lParam);
            HWND answer = ::GetDlgItem(box, kInputBoxAnswerId);
            ::SetWindowTextW(answer, state->defaultAnswer.c_str());
            ::SendMessageW(answer, EM_SETSEL, 0, -1);
            ::SetFocus(answer);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<BoxState*>(::GetWindowLongPtrW(box, DWLP_USER));
                HWND answer = ::GetDlgItem(box, kInputBoxAnswerId);
                const int length = ::GetWindowTextLengthW(answer);
                std::wstring text(static_cast<size_t>(length) + 1, L'\0');
                text.resize(static_cast<size_t>(::GetWindowTextW(answer, text.data(), length + 1)));
                state->answer = std::move(text);
                ::EndDialog(box, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(box, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::string> InputBox(HWND owner, const std::string& prompt, const std::string& defaultAnswer,
                                    const std::string& title) {
    const std::string caption = title.empty() ? outside::TheProductIdentity().title : title;
    DialogTemplate t(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 250, 86,
                     outside::W(caption), 8, L"Tahoma");
    t.Item(0x82, SS_LEFT, 7, 7, 236, 32, kInputBoxPromptId, outside::W(prompt));
    t.Item(0x81, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 7, 44, 236, 13, kInputBoxAnswerId, L"");
    t.Item(0x80, BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 65, 55, 15, IDOK, L"OK");
    t.Item(0x80, BS_PUSHBUTTON | WS_TABSTOP, 188, 65, 55, 15, IDCANCEL, outside::W("Отмена"));
    BoxState state{outside::W(defaultAnswer), {}};
    const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), owner, BoxProc,
                                                     reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return outside::U8(state.answer);
}

}  // namespace support
