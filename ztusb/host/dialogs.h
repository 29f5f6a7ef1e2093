#pragma once
// Modal boxes as hooks: a library must not pop up boxes in a test or a service, so the host
// may install its own handlers. Without one, the platform's message box is used.

#include <functional>

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt::host {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;  // a set of TMsgDlgBtn

constexpr int mrOk = 1;

using ShowMessageHandler = std::function<void(const String& text)>;
using MessageDlgHandler = std::function<int(const String& text, TMsgDlgType type,
                                            TMsgDlgButtons buttons, int helpContext)>;

// Each returns the handler it replaced; an empty handler restores the default.
ZT_API ShowMessageHandler SetShowMessageHandler(ShowMessageHandler handler);
ZT_API MessageDlgHandler SetMessageDlgHandler(MessageDlgHandler handler);

// A message box with one OK button; returns when it is closed.
ZT_API void ShowMessage(const String& text);
// A modal dialog of the given kind; returns the button's result.
ZT_API int MessageDlg(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);

}  // namespace zt::host
