#include "shell/StepRunner.h"

#include <utility>

#include "shell/ErrorLog.h"

namespace qd {

Steps::Steps(std::string_view code, AfterFailure after) : code_(code), after_(after) { }

Steps::Steps(std::string_view code, Handler handler) : code_(code), handler_(std::move(handler)) { }

void Steps::handle(std::int16_t number)
{
    lastFailure_ = number;
    AfterFailure after = after_;
    if (handler_) {
        try {
            after = handler_(number);
        } catch (const ProgramEnded&) {
            throw;
        } catch (...) {
            // A handler that fails itself must not take the routine down with it.
            LogError(number, code_);
        }
    } else {
        LogError(number, code_);
    }
    returned_ = after == AfterFailure::Return;
}

}  // namespace qd
