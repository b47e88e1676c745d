#pragma once

#include <cstdint>

namespace platform {

//! A receiver of synchronously sent messages (a window, in the program).
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    //! Handles message id with its two parameters and returns the answer.
    virtual std::intptr_t OnMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

} // namespace platform
