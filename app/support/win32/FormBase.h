// The plumbing every window of the program shares: one top-level window per
// object, controls placed in twips with the program's Tahoma font, the load
// steps (centre, icon), the dialog keys (Tab, Enter, Esc, F1, Shift+F1) for
// modeless windows, placement, the minimum size, and the end of the program
// when the last window is gone.
//
// Lifetime: a form object has one owner (a unique_ptr) and outlives its
// window. Unload() destroys the window; the object stays valid, so a handler
// that unloads its own window may go on touching members. The owner deletes
// the object later, never from inside one of its handlers.
#pragma once

#include <windows.h>

#include <string>

#include "app/support/FormDesign.h"
#include "outside/win32/Handles.h"

namespace support {

class FormBase {
public:
    virtual ~FormBase();
    FormBase(const FormBase&) = delete;
    FormBase& operator=(const FormBase&) = delete;

    HWND Handle() const { return hwnd_; }
    bool IsLoaded() const { return hwnd_ != nullptr; }
    // Shows the window (restored when minimised) and brings it to the front.
    void Show();
    // Unloads the window; by default destroys it (OnUnload runs first). The
    // object stays alive.
    virtual void Unload() { DestroyForm(); }

    // Every message loop of the program passes its messages here: the dialog
    // keys of the forms, then TranslateMessage and DispatchMessage.
    static void TranslateAndDispatch(MSG& msg);
    // The dialog keys alone: true when the message was consumed.
    static bool PreTranslate(MSG& msg);
    // Forms whose window exists. When the last one goes, the thread gets WM_QUIT.
    static int LoadedForms();

    // Twips to pixels for this window's screen.
    int PxX(int twips) const { return TwipsToPixels(twips, dpiX_); }
    int PxY(int twips) const { return TwipsToPixels(twips, dpiY_); }
    int TwipsX(int pixels) const { return PixelsToTwips(pixels, dpiX_); }
    int TwipsY(int pixels) const { return PixelsToTwips(pixels, dpiY_); }

protected:
    FormBase() = default;

    struct Design {
        const wchar_t* className = nullptr;
        std::string caption;
        int clientWidth = 0;   // twips
        int clientHeight = 0;  // twips
        HWND owner = nullptr;  // null: the program's hidden owner window
        bool sizable = false;
        bool dialogKeys = true;  // Tab, Enter and Esc as in a dialog box
        int minClientWidth = 0;  // twips; a smaller client area snaps back
        int minClientHeight = 0;
    };
    // Creates the window, hidden, with its fonts. False when it cannot be made.
    bool CreateForm(const Design& design);
    // Destroys the window now (OnUnload runs first).
    void DestroyForm();
    // The load steps the windows share: centre on the screen, the program icon,
    // the container fix-up.
    void StandardLoadSteps();

    // Controls: visible children in the form's font; tab order is creation order.
    HWND AddControl(const wchar_t* className, const std::string& text, DWORD style, DWORD exStyle, int id,
                    const TwipsRect& where);
    HWND AddLabel(int id, const std::string& text, const TwipsRect& where, bool bold = false, DWORD style = SS_LEFT);
    HWND AddButton(int id, const std::string& text, const TwipsRect& where, bool isDefault = false);
    HWND AddCheckBox(int id, const std::string& text, const TwipsRect& where);
    // The first option of a group starts a new group (arrow keys move inside it).
    HWND AddOption(int id, const std::string& text, const TwipsRect& where, bool firstOfGroup);
    HWND AddEdit(int id, const std::string& text, const TwipsRect& where, DWORD extraStyle = ES_AUTOHSCROLL);
    HWND AddFrame(int id, const std::string& text, const TwipsRect& where);
    // Moves a control to a design rectangle.
    void Place(HWND control, const TwipsRect& where) const;
    // The width of a control's text in its font, in twips: a one-line label
    // placed at least this wide shows all of it where the screen's font is
    // wider than the design's.
    int TextWidthTwips(HWND control) const;
    // The client area in twips.
    int ClientWidthTwips() const;
    int ClientHeightTwips() const;
    HFONT Font() const { return static_cast<HFONT>(font_.get()); }
    HFONT BoldFont() const { return static_cast<HFONT>(boldFont_.get()); }
    // The button Enter presses when the focus is on no other button (0: none).
    void SetDefaultButton(int id);

    // Window placement per key (a chat path) and window name; failures ignored.
    bool RestorePlacement(const std::string& key, const std::string& windowName, int* showCommand = nullptr);
    void SavePlacement(const std::string& key, const std::string& windowName);

    // F1, Shift+F1 and Esc before the focused control sees them; true consumes
    // the key. The default runs the shared dialog keys (OnEscape for Esc).
    virtual bool OnPreviewKey(int virtualKey, Modifiers modifiers);
    // Esc alone; by default the window unloads.
    virtual void OnEscape() { Unload(); }
    virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    // The client area changed (not minimised, at least the minimum), in twips.
    virtual void OnResize(int /*widthTwips*/, int /*heightTwips*/) {}
    // The window's close box, system menu or Alt+F4; by default the window unloads.
    virtual void OnClose() { Unload(); }
    // The window is going (by Unload, or with its owner): save placement, unhook.
    virtual void OnUnload() {}
    // Everything else; call FormBase::HandleMessage for what is not handled.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    static Modifiers CurrentModifiers();
    // The shared read-me and about box of F1 and Shift+F1.
    void ShowReadMe();
    void ShowAboutBox();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static FormBase* FormOf(HWND anyWindow);

    HWND hwnd_ = nullptr;
    int dpiX_ = 96;
    int dpiY_ = 96;
    bool dialogKeys_ = true;
    int defaultButton_ = 0;
    int minClientWidth_ = 0;
    int minClientHeight_ = 0;
    HWND lastFocus_ = nullptr;
    outside::UniqueGdiObject font_;
    outside::UniqueGdiObject boldFont_;
};

}  // namespace support
