#include "vb/steps.h"

#include <optional>

namespace vb {

namespace {

// Runs the step once; the error it raised, if any.
std::optional<Error> TryStep(const Step& step) {
    try {
        step();
        return std::nullopt;
    } catch (...) {
        return CurrentError();
    }
}

}  // namespace

bool RunSteps(std::initializer_list<Step> steps, const ErrorHandler& handler) {
    for (const Step& step : steps) {
        for (;;) {
            std::optional<Error> error = TryStep(step);
            if (!error) break;
            const int answer = handler(*error);
            if (answer == kAnswerRepeat) continue;
            if (answer == kAnswerGoOn) break;
            return false;
        }
    }
    return true;
}

bool RunStep(const Step& step, const ErrorHandler& handler) { return RunSteps({step}, handler); }

bool RunStepsSkippingInvalidCall(std::initializer_list<Step> steps,
                                 const std::function<void(const Error&)>& onStop) {
    for (const Step& step : steps) {
        std::optional<Error> error = TryStep(step);
        if (!error || error->Number() == kErrInvalidCall) continue;
        if (onStop) onStop(*error);
        return false;
    }
    return true;
}

void IgnoreErrors(const Step& step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace vb
