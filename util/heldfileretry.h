#pragma once
// A file operation that another program (an antivirus scanner, a backup or
// indexing service) can make fail for a moment by holding the file open:
// retried for a short, bounded time, and only for the failures that mean
// "held" (the caller says which), never for anything else.

#include <chrono>
#include <functional>

inline constexpr std::chrono::milliseconds kHeldFileRetryBudget{500};
inline constexpr std::chrono::milliseconds kHeldFileRetryPause{25};

// Runs attempt() until it returns 0 (done), an error isHeld() rejects, or
// the budget is spent in pauses; returns the last result.
template <typename Error>
Error RetryWhileHeld(const std::function<Error()>& attempt,
                     const std::function<bool(Error)>& isHeld,
                     const std::function<void(std::chrono::milliseconds)>& pause,
                     std::chrono::milliseconds budget = kHeldFileRetryBudget) {
    Error result = attempt();
    for (std::chrono::milliseconds waited{0};
         result != Error{} && isHeld(result) && waited < budget; waited += kHeldFileRetryPause) {
        pause(kHeldFileRetryPause);
        result = attempt();
    }
    return result;
}
