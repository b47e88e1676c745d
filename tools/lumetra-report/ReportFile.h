#pragma once

#include <string>
#include <string_view>

namespace lumetra_report {

//! The pivot definition of a saved pivot file: the text up to and including the closing
//! "</xml>", without the SQL lines a report over a relational source carries after it.
//! Text without a closing tag is returned whole (the definition reader then says what is
//! wrong with it).
std::string DefinitionText(std::string_view fileText);

} // namespace lumetra_report
