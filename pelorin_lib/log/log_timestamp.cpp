// SPDX-License-Identifier: Apache-2.0
#include "log_timestamp.h"

#include <sys/time.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// Writes value as exactly `width` decimal digits (leading zeros).
char* putDigits(char* out, long long value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

}  // namespace

void formatStampText(long long localSeconds, long milliseconds, char* out)
{
    // Civil date of a day count (days since 1970-01-01, proleptic Gregorian).
    long long days = localSeconds / 86400;
    long long secondOfDay = localSeconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
    const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    year = year < 0 ? 0 : (year > 9999 ? 9999 : year);

    char* p = putDigits(out, year, 4);
    *p++ = '-';
    p = putDigits(p, month, 2);
    *p++ = '-';
    p = putDigits(p, day, 2);
    *p++ = ' ';
    p = putDigits(p, secondOfDay / 3600, 2);
    *p++ = ':';
    p = putDigits(p, secondOfDay / 60 % 60, 2);
    *p++ = ':';
    p = putDigits(p, secondOfDay % 60, 2);
    *p++ = '.';
    p = putDigits(p, milliseconds < 0 ? 0 : milliseconds % 1000, 3);
    *p = '\0';
}

void get_formatted_time(char* buffer, size_t size)
{
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    char text[kStampTextSize];
    formatStampText(static_cast<long long>(now.tv_sec) + local.tm_gmtoff, now.tv_usec / 1000, text);
    snprintf(buffer, size, "%s", text);
}

void braceStampText(const char* stampText, char* out)
{
    const size_t length = strnlen(stampText, kStampTextSize - 1);
    out[0] = '{';
    memcpy(out + 1, stampText, length);
    out[length + 1] = '}';
    out[length + 2] = '\0';
}
