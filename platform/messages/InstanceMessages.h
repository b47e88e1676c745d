#pragma once

//! The ids of the program's eleven registered messages. The first call of
//! Get() registers the names in their fixed order; the program makes it
//! before its start-up runs.
struct InstanceMessages {
    unsigned MSG_USER_INST = 0;
    unsigned MSG_INST = 0;
    unsigned MSG_NEW_INST1 = 0;
    unsigned MSG_NEW_INST2 = 0;
    unsigned MSG_NEW_INST3 = 0;
    unsigned MSG_NEW_INST4 = 0;
    unsigned MSG_NEW_INST5 = 0;
    unsigned MSG_NEW_INST6 = 0;
    unsigned MSG_NEW_INST7 = 0;
    unsigned MSG_INST_UPDATE = 0;
    unsigned MSG_INST_FAVUPDATE = 0;

    static const InstanceMessages& Get();
    //! The report type 1..7 of a MSG_NEW_INSTn id, or 0 for any other id.
    int NewReportType(unsigned id) const;
};
