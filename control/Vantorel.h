#pragma once

#include "platform/dispatch/IDispatchObject.h"

//! The OLAP analysis control, driven by dispatch id.
class Vantorel : public platform::IDispatchObject {
public:
    static constexpr const char* kClassId = "{E07F1004-ECB4-4627-8E85-82D239281510}";
    static constexpr const char* kProgId = "Hexmoor2.Vantorel";

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;
};
