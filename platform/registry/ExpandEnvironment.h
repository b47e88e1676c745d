#pragma once

#include <QString>

namespace platform {

//! Replaces every %NAME% in text with the value of the environment variable
//! NAME. A name that is not set, and a lone %, stay as they are.
QString ExpandEnvironmentStrings(const QString& text);

} // namespace platform
