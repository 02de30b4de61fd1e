// The failure-handling convention, written once.
//
// A routine with a location code creates one Steps object and runs each of
// its numbered steps through it:
//
//     Steps steps("3706");
//     steps([&] { CenterForm(this); });
//     steps([&] { frmQuest->setEnabled(false); });
//
// A step that fails is abandoned; the failure is logged with LogError under
// the routine's location code and the routine goes on with its next step.
// A routine whose handler does something else passes a handler that decides
// what happens and whether the routine returns at once. No exception leaves
// a step, except ProgramEnded, which only a test's stand-in for ending the
// program raises.
#pragma once

#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "shell/Failure.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

enum class AfterFailure { NextStep, Return };

class Steps {
public:
    using Handler = std::function<AfterFailure(std::int16_t number)>;

    // Logs every failure under `code`; `after` says whether the routine goes on.
    explicit Steps(std::string_view code, AfterFailure after = AfterFailure::NextStep);
    // Hands every failure to `handler`, which does its own logging.
    Steps(std::string_view code, Handler handler);

    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;

    // Runs one step unless the routine has already returned. True when the
    // step ran to its end.
    template <typename Step>
    bool operator()(Step&& step)
    {
        if (returned_)
            return false;
        try {
            std::forward<Step>(step)();
            return true;
        } catch (const ProgramEnded&) {
            throw;
        } catch (const Failure& failure) {
            handle(failure.number());
        } catch (const std::out_of_range&) {
            handle(failure::kSubscriptOutOfRange);
        } catch (const std::bad_alloc&) {
            handle(failure::kOutOfMemory);
        } catch (...) {
            handle(failure::kInternalError);
        }
        return false;
    }

    // True once a failure has made the routine return; later steps are skipped.
    bool returned() const { return returned_; }
    // The number of the latest failure, 0 when no step has failed.
    std::int16_t lastFailure() const { return lastFailure_; }

private:
    void handle(std::int16_t number);

    std::string code_;
    AfterFailure after_ = AfterFailure::NextStep;
    Handler handler_;
    bool returned_ = false;
    std::int16_t lastFailure_ = 0;
};

}  // namespace qd
