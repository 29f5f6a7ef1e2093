#pragma once
// Failures as the C interface reports them: a return code, and a message kept for the
// calling thread. No exception crosses the interface.

#include <string>

namespace zt::c_api {

// A failure with the code it is reported with.
struct Failure {
    int code;
    std::string message;
};

void SetLastError(std::string message);

// Runs a call of the interface: its code, or the code of what it threw (a Failure's own;
// other errors as `otherwise`), with the message kept.
template <typename Call>
int Guarded(Call call, int otherwise = -99) noexcept;

int ReportCurrentException(int otherwise) noexcept;

template <typename Call>
int Guarded(Call call, int otherwise) noexcept {
    try {
        const int code = call();
        if (code == 0) SetLastError({});
        return code;
    } catch (...) {
        return ReportCurrentException(otherwise);
    }
}

}  // namespace zt::c_api
