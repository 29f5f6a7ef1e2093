#pragma once
// Win32's names as Windows code spells them: macros, as <windows.h> makes them, for code
// written for Windows that runs on the emulation too (the package's own sources, a host's
// that wants them). No other header includes this one, so a host that does not gets none of
// these macros from the package. On Windows <windows.h> has them all.

#include "ztusb/win32/api.h"

#ifndef _WIN32

#define CALLBACK
#define WINAPI
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WM_CREATE ::zt::win32::WM_CREATE
#define WM_DESTROY ::zt::win32::WM_DESTROY
#define WM_SETTEXT ::zt::win32::WM_SETTEXT
#define WM_GETTEXT ::zt::win32::WM_GETTEXT
#define WM_GETTEXTLENGTH ::zt::win32::WM_GETTEXTLENGTH
#define WM_QUIT ::zt::win32::WM_QUIT
#define WM_COPYDATA ::zt::win32::WM_COPYDATA
#define WM_NCDESTROY ::zt::win32::WM_NCDESTROY
#define WM_KEYDOWN ::zt::win32::WM_KEYDOWN
#define WM_CHAR ::zt::win32::WM_CHAR
#define WM_DEVICECHANGE ::zt::win32::WM_DEVICECHANGE
#define WM_TIMER ::zt::win32::WM_TIMER
#define WM_USER ::zt::win32::WM_USER
#define WM_APP ::zt::win32::WM_APP

#define DBT_DEVICEARRIVAL ::zt::win32::DBT_DEVICEARRIVAL
#define DBT_DEVICEQUERYREMOVE ::zt::win32::DBT_DEVICEQUERYREMOVE
#define DBT_DEVICEREMOVECOMPLETE ::zt::win32::DBT_DEVICEREMOVECOMPLETE
#define DBT_DEVTYP_VOLUME ::zt::win32::DBT_DEVTYP_VOLUME
#define DBT_DEVTYP_PORT ::zt::win32::DBT_DEVTYP_PORT
#define DBT_DEVTYP_DEVICEINTERFACE ::zt::win32::DBT_DEVTYP_DEVICEINTERFACE
#define DEVICE_NOTIFY_WINDOW_HANDLE ::zt::win32::DEVICE_NOTIFY_WINDOW_HANDLE

#define GWLP_WNDPROC ::zt::win32::GWLP_WNDPROC
#define GWLP_USERDATA ::zt::win32::GWLP_USERDATA
#define PM_NOREMOVE ::zt::win32::PM_NOREMOVE
#define PM_REMOVE ::zt::win32::PM_REMOVE
#define WS_POPUP ::zt::win32::WS_POPUP
#define WS_EX_TOOLWINDOW ::zt::win32::WS_EX_TOOLWINDOW

#define ERROR_SUCCESS ::zt::win32::ERROR_SUCCESS
#define ERROR_FILE_NOT_FOUND ::zt::win32::ERROR_FILE_NOT_FOUND
#define ERROR_INVALID_HANDLE ::zt::win32::ERROR_INVALID_HANDLE
#define ERROR_MORE_DATA ::zt::win32::ERROR_MORE_DATA
#define ERROR_NO_MORE_ITEMS ::zt::win32::ERROR_NO_MORE_ITEMS
#define ERROR_MESSAGE_SYNC_ONLY ::zt::win32::ERROR_MESSAGE_SYNC_ONLY
#define ERROR_INVALID_WINDOW_HANDLE ::zt::win32::ERROR_INVALID_WINDOW_HANDLE
#define ERROR_NOT_ENOUGH_QUOTA ::zt::win32::ERROR_NOT_ENOUGH_QUOTA
#define KEY_READ ::zt::win32::KEY_READ
#define REG_SZ ::zt::win32::REG_SZ

#define CP_ACP ::zt::win32::CP_ACP
#define CP_UTF8 ::zt::win32::CP_UTF8
#define MB_OK ::zt::win32::MB_OK
#define MB_ICONERROR ::zt::win32::MB_ICONERROR
#define IDOK ::zt::win32::IDOK
#define HKEY_LOCAL_MACHINE ::zt::win32::HKEY_LOCAL_MACHINE

#endif
