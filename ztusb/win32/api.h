#pragma once
// The Win32 subset this package calls, in namespace zt::win32. On Windows these are the
// system's own; elsewhere win32/*_emu.cpp emulates them in-process with the same contracts.
// On Windows the constants are <windows.h>'s macros; elsewhere they are declarations here,
// so that a host's code keeps its own names, and win32/windows_names.h gives the package's
// own sources the macros that Windows code expects.

#include <cstdint>

#include "ztusb/export.h"

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <dbt.h>

#define ZT_WTEXT(s) L##s

namespace zt::win32 {
using ::ATOM;
using ::BOOL;
using ::BYTE;
using ::DWORD;
using ::GUID;
using ::HANDLE;
using ::HDEVNOTIFY;
using ::HINSTANCE;
using ::HKEY;
using ::HMENU;
using ::HMODULE;
using ::HWND;
using ::LONG_PTR;
using ::LPARAM;
using ::LPCSTR;
using ::LPCWSTR;
using ::LPSTR;
using ::LPVOID;
using ::LPWSTR;
using ::LRESULT;
using ::LSTATUS;
using ::MSG;
using ::REGSAM;
using ::UINT;
using ::WCHAR;
using ::WNDCLASSW;
using ::WNDENUMPROC;
using ::WNDPROC;
using ::WORD;
using ::WPARAM;

using ::CreateWindowExW;
using ::DefWindowProcW;
using ::DestroyWindow;
using ::DispatchMessageW;
using ::EnumThreadWindows;
using ::FARPROC;
using ::FreeLibrary;
using ::GetClassNameW;
using ::GetCurrentThreadId;
using ::GetLastError;
using ::GetMessageW;
using ::GetModuleHandleW;
using ::GetProcAddress;
using ::GetWindowLongPtrW;
using ::IsWindow;
using ::LoadLibraryA;
using ::MessageBoxW;
using ::MultiByteToWideChar;
using ::PeekMessageW;
using ::PostMessageW;
using ::PostQuitMessage;
using ::SetTimer;
using ::KillTimer;
using ::UINT_PTR;
using ::PostThreadMessageW;
using ::RegCloseKey;
using ::RegEnumValueW;
using ::RegisterClassW;
using ::RegOpenKeyExW;
using ::SendMessageW;
using ::SetLastError;
using ::SetWindowLongPtrW;
using ::TranslateMessage;
using ::WideCharToMultiByte;

// Wrapped, not re-exported: the package notes which window subscribed to which interface
// class, so that the simulated world can broadcast as the system does (see below).
ZT_API HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags);
ZT_API BOOL UnregisterDeviceNotification(HDEVNOTIFY notification);
}  // namespace zt::win32

#else  // the emulation

#define ZT_WTEXT(s) u##s

namespace zt::win32 {
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned;
using LONG = std::int32_t;
using BOOL = int;
using ATOM = WORD;
using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;

struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HMENU__;
using HMENU = HMENU__*;
using HANDLE = void*;
using HDEVNOTIFY = void*;
using HICON = void*;
using HCURSOR = void*;
using HBRUSH = void*;
struct HKEY__;
using HKEY = HKEY__*;
using LSTATUS = LONG;
using REGSAM = DWORD;

// Constants, as <windows.h> types them.
inline constexpr int WM_CREATE = 0x0001;
inline constexpr int WM_DESTROY = 0x0002;
inline constexpr int WM_SETTEXT = 0x000C;
inline constexpr int WM_GETTEXT = 0x000D;
inline constexpr int WM_GETTEXTLENGTH = 0x000E;
inline constexpr int WM_QUIT = 0x0012;
inline constexpr int WM_COPYDATA = 0x004A;
inline constexpr int WM_NCDESTROY = 0x0082;
inline constexpr int WM_KEYDOWN = 0x0100;
inline constexpr int WM_CHAR = 0x0102;
inline constexpr int WM_DEVICECHANGE = 0x0219;
inline constexpr int WM_TIMER = 0x0113;
inline constexpr int WM_USER = 0x0400;
inline constexpr int WM_APP = 0x8000;

inline constexpr int DBT_DEVICEARRIVAL = 0x8000;
inline constexpr int DBT_DEVICEQUERYREMOVE = 0x8001;
inline constexpr int DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr int DBT_DEVTYP_VOLUME = 0x00000002;
inline constexpr int DBT_DEVTYP_PORT = 0x00000003;
inline constexpr int DBT_DEVTYP_DEVICEINTERFACE = 0x00000005;
inline constexpr int DEVICE_NOTIFY_WINDOW_HANDLE = 0x00000000;

inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GWLP_USERDATA = -21;
inline constexpr int PM_NOREMOVE = 0x0000;
inline constexpr int PM_REMOVE = 0x0001;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_MESSAGE_SYNC_ONLY = 1159;
inline constexpr LONG ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr LONG ERROR_NOT_ENOUGH_QUOTA = 1816;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr DWORD REG_SZ = 1;

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF8 = 65001;
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr int IDOK = 1;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
using FARPROC = void (*)();

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};

struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

ZT_API DWORD GetCurrentThreadId();
// The calling thread's last error, as the calls below that document one set it.
ZT_API DWORD GetLastError();
ZT_API void SetLastError(DWORD error);
ZT_API HMODULE GetModuleHandleW(LPCWSTR moduleName);

// Windows: top-level windows only (parent must be null); no creation messages are sent.
ZT_API ATOM RegisterClassW(const WNDCLASSW* windowClass);
ZT_API HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param);
ZT_API BOOL DestroyWindow(HWND window);
ZT_API BOOL IsWindow(HWND window);
ZT_API LONG_PTR GetWindowLongPtrW(HWND window, int index);
ZT_API LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
// The default processing keeps the window's text (WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH;
// the title given at creation is the first); every other message gets 0.
ZT_API LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
ZT_API BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM lParam);
ZT_API int GetClassNameW(HWND window, LPWSTR className, int maxCount);

// Messages: one queue per thread, delivered in posting order; the queue goes when its thread
// ends, and posts to it then fail. SendMessageW calls the window procedure at once and only
// on the window's own thread (0 otherwise). PeekMessageW and GetMessageW take no window or
// range filter. As on Windows, a quit request is a flag of the thread's queue: WM_QUIT (no
// window, the exit code as WParam) comes once nothing else is waiting. A thread's message
// sources (message_sources_emu.h) add to its queue whenever it is looked at.
// A queue holds at most 10,000 posted messages and a process 10,000 windows, Windows'
// default quotas: past them the calls fail with ERROR_NOT_ENOUGH_QUOTA.
// PostMessageW refuses a system message (below WM_USER) whose parameters point to memory,
// which would be gone or reused by the time it is delivered: FALSE, with the last error
// ERROR_MESSAGE_SYNC_ONLY; a window that does not exist gives ERROR_INVALID_WINDOW_HANDLE.
ZT_API BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message without a window (hwnd null), which DispatchMessageW does not deliver.
ZT_API BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
ZT_API LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
ZT_API BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Sleeps until a message is posted or a message source has events, without a polling period.
// Returns 0 for WM_QUIT, -1 for a null message or a window filter that is not a window (or
// when the system gives no descriptors to wait on), otherwise nonzero.
ZT_API BOOL GetMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax);
ZT_API LRESULT DispatchMessageW(const MSG* message);
ZT_API void PostQuitMessage(int exitCode);
// WM_KEYDOWN of a letter, digit or space key puts its character (unshifted: letters in lower
// case) in front of the queue as WM_CHAR, to the same window; returns whether it did.
ZT_API BOOL TranslateMessage(const MSG* message);

// Timers: a window's timer posts WM_TIMER (WParam its ID) to the window each time its period
// passes; another SetTimer of the same ID starts it again. No timer procedures: `procedure`
// must be null. Returns the ID, or 0 for a window that is not one of the calling thread's.
ZT_API UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, void* procedure);
ZT_API BOOL KillTimer(HWND window, UINT_PTR id);

// Device notifications: device-interface filters only, window recipients only.
ZT_API HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags);
ZT_API BOOL UnregisterDeviceNotification(HDEVNOTIFY notification);

// Libraries loaded at run time: shared objects through the system's dynamic loader.
ZT_API HMODULE LoadLibraryA(LPCSTR fileName);
ZT_API FARPROC GetProcAddress(HMODULE module, LPCSTR name);
ZT_API BOOL FreeLibrary(HMODULE module);

// The registry, read only: HKEY_LOCAL_MACHINE as the simulated world fills it.
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
ZT_API LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result);
// Names and data that do not fit their buffers give ERROR_MORE_DATA; past the last value,
// ERROR_NO_MORE_ITEMS.
ZT_API LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved,
                             DWORD* type, BYTE* data, DWORD* dataSize);
ZT_API LSTATUS RegCloseKey(HKEY key);

// Writes "caption: text" to standard error and returns IDOK: there is no one to click.
ZT_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Code pages: CP_ACP is Windows-1252 here, plus CP_UTF8. Flags and default characters are
// not supported; an unmappable character becomes '?'.
ZT_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR narrow,
                               int narrowSize, LPCSTR defaultChar, BOOL* usedDefaultChar);
ZT_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR narrow, int narrowCount, LPWSTR wide,
                               int wideSize);
}  // namespace zt::win32

#endif

namespace zt::win32 {
// Not a Win32 call: whether the window holds a live subscription to the device-interface
// class. The simulated world asks it to broadcast device interfaces only to subscribers.
ZT_API bool IsSubscribedToDeviceInterface(HWND window, const GUID& interfaceClass);
}  // namespace zt::win32
