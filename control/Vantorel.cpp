#include "control/Vantorel.h"

platform::HResult Vantorel::Invoke(platform::DispId, platform::InvokeKind, std::vector<platform::Variant>&,
    platform::Variant*, platform::DispatchException*)
{
    // The members arrive with the control's own work.
    return platform::kDispEMemberNotFound;
}
