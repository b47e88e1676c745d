#pragma once

//! The state an update handler gives a command: available, checked, and
//! whether the check shows as a radio mark.
struct CCmdUI {
    int id = 0;
    bool enabled = false;
    bool checked = false;
    bool radio = false;
};
