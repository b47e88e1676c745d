#include "olap/recordset/DateTime.h"

#include <cmath>
#include <cstdio>

namespace olap::recordset {

namespace {

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Reads exactly COUNT digits at POS; false when they are not all there.
bool ReadDigits(std::string_view text, size_t& pos, size_t count, int& out)
{
    if (pos + count > text.size())
        return false;
    int value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    pos += count;
    out = value;
    return true;
}

// Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

} // namespace

bool DateTime::IsValid() const
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month)
        && hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

std::string DateTime::ToString() const
{
    char buffer[32];
    if (hour == 0 && minute == 0 && second == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return buffer;
}

std::optional<DateTime> DateTime::Parse(std::string_view text)
{
    DateTime result;
    size_t pos = 0;
    if (!ReadDigits(text, pos, 4, result.year) || pos >= text.size() || text[pos++] != '-'
        || !ReadDigits(text, pos, 2, result.month) || pos >= text.size() || text[pos++] != '-'
        || !ReadDigits(text, pos, 2, result.day))
        return std::nullopt;
    if (pos < text.size()) {
        if (text[pos] != ' ' && text[pos] != 'T')
            return std::nullopt;
        ++pos;
        if (!ReadDigits(text, pos, 2, result.hour) || pos >= text.size() || text[pos++] != ':'
            || !ReadDigits(text, pos, 2, result.minute))
            return std::nullopt;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!ReadDigits(text, pos, 2, result.second))
                return std::nullopt;
            if (pos < text.size() && text[pos] == '.') {
                ++pos;
                const size_t digitsStart = pos;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
                    ++pos;
                if (pos == digitsStart)
                    return std::nullopt;
            }
        }
        if (pos < text.size() && text[pos] == 'Z')
            ++pos;
        if (pos != text.size())
            return std::nullopt;
    }
    if (!result.IsValid())
        return std::nullopt;
    return result;
}

std::optional<DateTime> DateTime::FromSerial(double serial)
{
    // 1899-12-30 is 25569 days before 1970-01-01; bound the range before converting.
    if (!std::isfinite(serial) || serial < -693593.0 || serial > 2958466.0)
        return std::nullopt;
    const long long totalSeconds = std::llround(serial * 86400.0);
    long long days = totalSeconds / 86400;
    long long seconds = totalSeconds % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    DateTime result;
    CivilFromDays(days - 25569, result.year, result.month, result.day);
    result.hour = static_cast<int>(seconds / 3600);
    result.minute = static_cast<int>(seconds / 60 % 60);
    result.second = static_cast<int>(seconds % 60);
    if (!result.IsValid())
        return std::nullopt;
    return result;
}

} // namespace olap::recordset
