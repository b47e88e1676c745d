#pragma once

#include <string_view>

namespace olap::recordset {

class Recordset;

//! What a recordset's active connection does for it: run a command text and deliver all of
//! its rows. Connections implement it; a recordset holds one while it is attached.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    //! Runs TEXT with TIMEOUTSECONDS as its time limit (0: none) and returns its rows as an
    //! open recordset. Throws with the provider's message when the text fails.
    virtual Recordset ExecuteCommand(std::string_view text, int timeoutSeconds) = 0;
};

} // namespace olap::recordset
