// The library's four classes in one table: the class factory creates from
// it and registration writes it, so the two can never disagree.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <span>

namespace flickon {

HRESULT CreateTorFlickon(REFIID iid, void** out);
HRESULT CreateIconFrames(REFIID iid, void** out);
HRESULT CreateTorFlickon2(REFIID iid, void** out);
HRESULT CreateFanservice(REFIID iid, void** out);

struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*create)(REFIID iid, void** out);
    const wchar_t* name;     // the class name in the type library
    const wchar_t* progId;
    bool control;            // an ActiveX control (Control, MiscStatus, toolbox bitmap)
    int toolboxBitmap;       // resource id of the toolbox bitmap, controls only
};

// The misc status of the two controls: invisible at run time (hosts show the
// pictures elsewhere), a window of their own in place, never UI-active, and
// a client site before anything else.
inline constexpr DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                            OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                            OLEMISC_SETCLIENTSITEFIRST | OLEMISC_NOUIACTIVATE |
                                            OLEMISC_INVISIBLEATRUNTIME;

// In type library order.
std::span<const ClassEntry> LibraryClasses();

}  // namespace flickon
