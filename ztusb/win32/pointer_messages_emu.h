#pragma once
// The system messages whose parameters point to memory: Windows marshals them only for a
// sent message, so posting one fails (ERROR_MESSAGE_SYNC_ONLY) instead of handing the
// receiver an address the sender may already have freed.

#include <algorithm>
#include <iterator>

#include "ztusb/win32/api.h"
#include "ztusb/win32/windows_names.h"

namespace zt::win32::emulated {

inline constexpr UINT kPointerMessages[] = {
    // WM_CREATE, WM_SETTEXT, WM_GETTEXT, WM_SETTINGCHANGE, WM_DEVMODECHANGE
    0x0001, 0x000C, 0x000D, 0x001A, 0x001B,
    // WM_GETMINMAXINFO, WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_COMPAREITEM
    0x0024, 0x002B, 0x002C, 0x002D, 0x0039,
    // WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_COPYDATA, WM_HELP
    0x0046, 0x0047, 0x004A, 0x0053,
    // WM_STYLECHANGING, WM_STYLECHANGED, WM_NCCREATE, WM_NCCALCSIZE, WM_GETDLGCODE
    0x007C, 0x007D, 0x0081, 0x0083, 0x0087,
    // edit controls: EM_GETSEL, EM_GETRECT, EM_SETRECT, EM_SETRECTNP, EM_REPLACESEL,
    // EM_GETLINE, EM_SETTABSTOPS
    0x00B0, 0x00B2, 0x00B3, 0x00B4, 0x00C2, 0x00C4, 0x00CB,
    // scroll bars: SBM_GETRANGE, SBM_SETSCROLLINFO, SBM_GETSCROLLINFO, SBM_GETSCROLLBARINFO
    0x00E1, 0x00E9, 0x00EA, 0x00EB,
    // combo boxes: CB_GETEDITSEL, CB_ADDSTRING, CB_DIR, CB_GETLBTEXT, CB_INSERTSTRING,
    // CB_FINDSTRING, CB_SELECTSTRING, CB_GETDROPPEDCONTROLRECT, CB_FINDSTRINGEXACT
    0x0140, 0x0143, 0x0145, 0x0148, 0x014A, 0x014C, 0x014D, 0x0152, 0x0158,
    // list boxes: LB_ADDSTRING, LB_INSERTSTRING, LB_GETTEXT, LB_SELECTSTRING, LB_DIR,
    // LB_FINDSTRING, LB_GETSELITEMS, LB_SETTABSTOPS, LB_ADDFILE, LB_GETITEMRECT,
    // LB_FINDSTRINGEXACT
    0x0180, 0x0181, 0x0189, 0x018C, 0x018D, 0x018F, 0x0191, 0x0192, 0x0196, 0x0198, 0x01A2,
    // WM_NEXTMENU, WM_SIZING, WM_MOVING, WM_MDICREATE, WM_MDIGETACTIVE, and drag and drop:
    // WM_DROPOBJECT, WM_QUERYDROPOBJECT, WM_DRAGLOOP, WM_DRAGSELECT, WM_DRAGMOVE
    0x0213, 0x0214, 0x0216, 0x0220, 0x0229, 0x022A, 0x022B, 0x022D, 0x022E, 0x022F,
    // WM_ASKCBFORMATNAME
    0x030C,
};

// WM_DEVICECHANGE carries a broadcast record only for the events with bit 15 set
// (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE, ...); the others carry none.
inline bool CarriesPointer(UINT message, WPARAM wParam) {
    if (message == WM_DEVICECHANGE) return (wParam & 0x8000) != 0;
    return std::find(std::begin(kPointerMessages), std::end(kPointerMessages), message) !=
           std::end(kPointerMessages);
}

}  // namespace zt::win32::emulated
