#include "ztusb/c/last_error.h"

#include <new>
#include <stdexcept>

#include "ztusb/testkit/json_reader.h"
#include "ztusb/ztusb.h"

namespace zt::c_api {
namespace {

thread_local std::string lastError;

}  // namespace

void SetLastError(std::string message) { lastError = std::move(message); }

int ReportCurrentException(int otherwise) noexcept {
    try {
        throw;
    } catch (const Failure& failure) {
        lastError = failure.message;
        return failure.code;
    } catch (const std::bad_alloc&) {
        lastError = "out of memory";
        return ZTUSB_ERROR_NO_MEM;
    } catch (const testkit::WorldError& e) {
        lastError = e.what();
        return ZTUSB_ERROR_BAD_WORLD;
    } catch (const std::exception& e) {
        lastError = e.what();
        return otherwise;
    } catch (...) {
        lastError = "an unknown failure";
        return otherwise;
    }
}

}  // namespace zt::c_api

extern "C" const char* ztusb_last_error(void) { return zt::c_api::lastError.c_str(); }
