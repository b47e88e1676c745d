#pragma once

#include <QString>

namespace platform {

//! The login name of the user running the program (favourites files and
//! personal report folders are named after it). LUMETRA_USER_NAME overrides
//! it for tests and portable installs.
QString CurrentUserName();

} // namespace platform
