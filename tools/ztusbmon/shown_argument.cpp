#include "tools/ztusbmon/shown_argument.h"

#include "ztusb/host/shown_text.h"

namespace ztusbmon {

std::string ShownArgument(std::string_view argument) { return zt::host::ShownText(argument, 60); }

}  // namespace ztusbmon
