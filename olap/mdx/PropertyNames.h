#pragma once

#include <string_view>

namespace olap::mdx {

//! True when an unbracketed name after a dot is a property function rather than the name of
//! a member or level: Members, Children, CurrentMember, Parent, Name, ... (any case).
//! `[Time].Children` is a property of [Time]; `[Time].[Children]` is a member called Children.
bool IsPropertyName(std::string_view name);

} // namespace olap::mdx
