#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include <functional>
#include <vector>

class QWidget;

namespace platform {

//! What a host calls on a control that has a window, next to its dispatch
//! interface: the control's window, and where the control raises its events.
class IControlWindow {
public:
    //! Receives an event the control raises: its dispatch id and arguments.
    using EventSink = std::function<void(DispId event, std::vector<Variant>& args)>;

    virtual ~IControlWindow() = default;

    //! The control's window, made on the first call as a child of parent;
    //! later calls return the same window (reparented to parent when it
    //! differs). The parent owns the window; the control notices when the
    //! window is destroyed and makes a new one on the next call.
    virtual QWidget* ControlWindow(QWidget* parent) = 0;

    //! Sets (or, with an empty sink, clears) the receiver of the control's
    //! events. Events are raised on the user-interface thread.
    virtual void SetEventSink(EventSink sink) = 0;
};

} // namespace platform
