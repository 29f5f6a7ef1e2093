#include "ztusb/host/dialogs.h"
#include "ztusb/win32/windows_names.h"

#include <utility>

namespace zt::host {
namespace {

ShowMessageHandler& ShowMessageHook() {
    static ShowMessageHandler hook;
    return hook;
}

MessageDlgHandler& MessageDlgHook() {
    static MessageDlgHandler hook;
    return hook;
}

const String& CaptionOf(TMsgDlgType type) {
    static const String captions[] = {u"Warning", u"Error", u"Information", u"Confirm",
                                      u"ZtUsbDetector"};
    return captions[static_cast<int>(type)];
}

}  // namespace

ShowMessageHandler SetShowMessageHandler(ShowMessageHandler handler) {
    return std::exchange(ShowMessageHook(), std::move(handler));
}

MessageDlgHandler SetMessageDlgHandler(MessageDlgHandler handler) {
    return std::exchange(MessageDlgHook(), std::move(handler));
}

void ShowMessage(const String& text) {
    if (ShowMessageHook()) {
        ShowMessageHook()(text);
        return;
    }
    win32::MessageBoxW(nullptr, WideText(text), WideText(CaptionOf(TMsgDlgType::mtCustom)),
                       MB_OK);
}

int MessageDlg(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
    if (MessageDlgHook()) return MessageDlgHook()(text, type, buttons, helpContext);
    const win32::UINT icon = type == TMsgDlgType::mtError ? MB_ICONERROR : 0;
    win32::MessageBoxW(nullptr, WideText(text), WideText(CaptionOf(type)), MB_OK | icon);
    return mrOk;
}

}  // namespace zt::host
