// Hosts the blinker control icBlinker (torFlickon of Flickon0100.dll) as a
// real ActiveX control: created through its class identity (or straight from
// the DLL beside the program when the class is not registered), given a
// client site that answers the ambient UserMode as true, and sunk for its
// UpdateIcon event.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>

#include "outside/win32/Handles.h"

namespace chatwindow {

class BlinkerHost {
public:
    // Throws RuntimeError when the control cannot be created.
    BlinkerHost();
    ~BlinkerHost();
    BlinkerHost(const BlinkerHost&) = delete;
    BlinkerHost& operator=(const BlinkerHost&) = delete;

    bool Blink() const;
    void SetBlink(bool blink);
    void SetStandardIcon(const outside::ComPtr<IPicture>& picture);
    void SetBlinkIcon1(const outside::ComPtr<IPicture>& picture);
    void SetBlinkIcon2(const outside::ComPtr<IPicture>& picture);

    // Called with the picture to show (may be null) every time the control raises UpdateIcon.
    std::function<void(const outside::ComPtr<IPicture>&)> OnUpdateIcon;

private:
    class Site;
    class Sink;
    void PutPicture(DISPID id, const outside::ComPtr<IPicture>& picture);

    outside::UniqueModule library_;  // only when loaded from beside the program
    outside::ComPtr<IOleObject> control_;
    outside::ComPtr<IDispatch> dispatch_;
    outside::ComPtr<IConnectionPoint> connection_;
    DWORD cookie_ = 0;
    Site* site_ = nullptr;
    Sink* sink_ = nullptr;
};

}  // namespace chatwindow
