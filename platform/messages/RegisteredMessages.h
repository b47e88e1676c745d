#pragma once

#include <QString>

#include <cstdint>

namespace platform {

class MessageTarget;

//! Process-wide message ids obtained by name, as window messages are
//! registered: the same name (compared without case) always gives the same
//! id, different names give different ids, all in 0xC000..0xFFFF.
class RegisteredMessages {
public:
    //! The id of name; 0 when name is empty or the ids are used up.
    static unsigned Register(const QString& name);
    //! The name an id was registered with, or an empty string.
    static QString NameOf(unsigned id);
    //! Delivers a message synchronously: the target's handler runs to
    //! completion before this returns its answer. A null target answers 0.
    static std::intptr_t Send(MessageTarget* target, unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
};

} // namespace platform
