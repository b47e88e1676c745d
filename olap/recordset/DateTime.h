#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace olap::recordset {

//! A calendar date with a time of day (to the second), as relational sources deliver dates.
//! No time zone: the value is what the source stores.
struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    auto operator<=>(const DateTime&) const = default;

    //! Whether the fields form a real date (month 1-12, day within the month, leap years
    //! counted, time within a day).
    bool IsValid() const;
    //! "YYYY-MM-DD", followed by " HH:MM:SS" when the time of day is not midnight.
    std::string ToString() const;
    //! Reads "YYYY-MM-DD", optionally followed by " " or "T" and "HH:MM" or "HH:MM:SS"
    //! (fractions of a second and a trailing "Z" are accepted and dropped). Returns nullopt
    //! for anything else or for an impossible date.
    static std::optional<DateTime> Parse(std::string_view text);
    //! The date of a spreadsheet serial number (days since 1899-12-30, the fraction being
    //! the time of day), rounded to the second. Nullopt outside the years 1-9999.
    static std::optional<DateTime> FromSerial(double serial);
};

} // namespace olap::recordset
