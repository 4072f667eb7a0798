// The error convention: a procedure's steps run in order; when one fails the
// procedure's handler is asked what to do and answers 4 (repeat the failing
// step), 5 (go on with the next step) or anything else (leave the procedure).
#pragma once

#include <functional>
#include <initializer_list>

#include "vb/error.h"

namespace vb {

inline constexpr int kAnswerRepeat = 4;  // vbRetry
inline constexpr int kAnswerGoOn = 5;    // vbIgnore

using Step = std::function<void()>;
using ErrorHandler = std::function<int(const Error&)>;

// Runs the steps under the convention. Returns true when the procedure ran to
// its end (every step done or passed over with 5), false when it was left.
bool RunSteps(std::initializer_list<Step> steps, const ErrorHandler& handler);

// Runs one statement under the convention: true when it ran (or was passed
// over with 5), false when the handler said leave.
bool RunStep(const Step& step, const ErrorHandler& handler);

// The start-up variant: error 5 skips the failing step; any other error stops
// the procedure, reported through onStop. Returns true when it ran to its end.
bool RunStepsSkippingInvalidCall(std::initializer_list<Step> steps,
                                 const std::function<void(const Error&)>& onStop);

// Runs a step ignoring any error it raises (layout code, "resume next").
void IgnoreErrors(const Step& step);

}  // namespace vb
