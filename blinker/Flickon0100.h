// Flickon0100.dll for its hosts: the identities, programmatic names and
// dispatch ids a host needs to create torFlickon or torFlickon2 (or an
// IconFrames collection), drive them through IDispatch and sink UpdateIcon.
// Needs no other file of the library; the values are those of the library's
// type library and never change.
//
// Hosting in short: create the control by kClsidTorFlickon (or its ProgID),
// give it its client site (IOleObject::SetClientSite; it answers ambient
// UserMode), InitNew or Load it (IPersistPropertyBag / IPersistStreamInit),
// and advise an IDispatch sink on the connection point kDiidTorFlickonEvents.
// UpdateIcon arrives as Invoke(dispid::UpdateIcon, DISPATCH_METHOD) with one
// VT_DISPATCH argument: the picture to show (IPictureDisp, may be null).
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace flickon {

// The type library Flickon0100, version 1.0, locale 0x409.
inline constexpr GUID kLibraryId = {0x1CD1B0FB, 0x2ED4, 0x46D4, {0x99, 0x9F, 0xBA, 0xB0, 0x79, 0x19, 0x61, 0xE1}};
inline constexpr WORD kLibraryMajor = 1;
inline constexpr WORD kLibraryMinor = 0;
inline constexpr LCID kLibraryLcid = 0x0409;

// torFlickon: blinks between two pictures.
inline constexpr GUID kClsidTorFlickon = {0x20735A91, 0xB97C, 0x4AF1, {0x93, 0x70, 0xCA, 0x8D, 0x7B, 0xF0, 0xFF, 0xB9}};
// Its default interface _torFlickon (dual) and event interface __torFlickon.
inline constexpr GUID kIidTorFlickon = {0x98A01E5B, 0x7410, 0x4BC0, {0x9F, 0x58, 0xF2, 0x88, 0xB5, 0xD6, 0x33, 0x76}};
inline constexpr GUID kDiidTorFlickonEvents = {
    0xCB3D33EC, 0x99D1, 0x46EB, {0xA2, 0x62, 0xB1, 0x71, 0x8B, 0x26, 0x4E, 0xB5}};

// torFlickon2: cycles through the frames of an IconFrames collection.
inline constexpr GUID kClsidTorFlickon2 = {
    0x056E1B96, 0x3BCE, 0x4CB3, {0x97, 0xE0, 0xFC, 0xB7, 0x72, 0xF6, 0xAA, 0x17}};
inline constexpr GUID kIidTorFlickon2 = {0x46DE9464, 0x76B8, 0x4AFA, {0x9F, 0xA7, 0x59, 0x26, 0x3D, 0x48, 0x3A, 0x5B}};
inline constexpr GUID kDiidTorFlickon2Events = {
    0xCAE1A058, 0x5976, 0x485F, {0xA2, 0x69, 0x5F, 0xCA, 0xA9, 0xEA, 0x70, 0xE1}};

// IconFrames: the frame collection (creatable).
inline constexpr GUID kClsidIconFrames = {0x530709A9, 0x1759, 0x4A5D, {0x98, 0x75, 0xC8, 0x44, 0xAA, 0x83, 0x1E, 0xF1}};
inline constexpr GUID kIidIconFrames = {0x033462E2, 0xB196, 0x4688, {0xAF, 0xDC, 0x78, 0x29, 0x8E, 0xB0, 0x9D, 0xE5}};

// Fanservice: the controls' property page.
inline constexpr GUID kClsidFanservice = {0xF9DB9E5D, 0x416A, 0x48B3, {0xAE, 0x4F, 0x22, 0x12, 0xD0, 0x41, 0x39, 0x5A}};
inline constexpr GUID kIidFanservice = {0x49CA55D9, 0x0886, 0x4DF7, {0xA4, 0x1E, 0xB7, 0xB7, 0x1C, 0xE3, 0x2D, 0xD1}};

inline constexpr wchar_t kProgIdTorFlickon[] = L"Flickon0100.torFlickon";
inline constexpr wchar_t kProgIdTorFlickon2[] = L"Flickon0100.torFlickon2";
inline constexpr wchar_t kProgIdIconFrames[] = L"Flickon0100.IconFrames";
inline constexpr wchar_t kProgIdFanservice[] = L"Flickon0100.Fanservice";

// The run-time error numbers the library raises, as 0x800A0000 + number HRESULTs
// (and EXCEPINFO scodes): an Interval outside 0...65535 (source "torFlickon"
// or "torFlickon2"), an index outside the frames, an index of 2147483647.
inline constexpr long kErrInvalidArgument = 5;
inline constexpr long kErrOverflow = 6;
inline constexpr long kErrSubscriptOutOfRange = 9;

namespace dispid {

// The one event of both controls; its argument is SetThisIcon.
inline constexpr DISPID UpdateIcon = 1;

namespace torFlickon {
inline constexpr DISPID Blink = 0x68030004;         // Boolean, get/let
inline constexpr DISPID StandardIcon = 0x68030003;  // picture, get/set (by reference)
inline constexpr DISPID BlinkIcon1 = 0x68030002;    // picture, get/set
inline constexpr DISPID BlinkIcon2 = 0x68030001;    // picture, get/set
inline constexpr DISPID Interval = 0x68030000;      // long, milliseconds 0...65535, get/let
}  // namespace torFlickon

namespace torFlickon2 {
inline constexpr DISPID Blink = 0x68030003;
inline constexpr DISPID StandardIcon = 0x68030002;
inline constexpr DISPID Interval = 0x68030001;
inline constexpr DISPID IconFrames = 0x68030000;    // _IconFrames, get/set/let
}  // namespace torFlickon2

namespace IconFrames {
inline constexpr DISPID Clear = 0x60030003;         // method
inline constexpr DISPID Count = 0x68030000;         // long, get
inline constexpr DISPID RemoveFrame = 0x60030004;   // method (Index, 0-based)
inline constexpr DISPID Item = 0;                   // picture, get (Index, 0-based); the default member
inline constexpr DISPID AddFrame = 0x60030005;      // method (Icon)
inline constexpr DISPID NewEnum = -4;               // method, hidden: IEnumVARIANT of the frames
}  // namespace IconFrames

}  // namespace dispid
}  // namespace flickon
