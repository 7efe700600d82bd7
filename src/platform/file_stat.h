#pragma once

#include <QString>
#include <cstdint>

namespace platform {

// File attribute bits in the layout zip archives record (the Windows one).
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

// What the zip writer needs to know about a source file. Times are whole
// seconds since 1970 UTC, rounded down.
struct FileStat {
    // Read-only when the owner may not write, hidden when the name starts with
    // ".", archive for every regular file; no file is a system file here.
    uint32_t attributes = 0;
    int64_t size = 0;
    int64_t creationTime = 0;  // birth time where the file system keeps one, else status change
    int64_t accessTime = 0;
    int64_t modificationTime = 0;
};

// Fills `out` for `path`, following links. Returns 0 or the errno value.
int StatFile(const QString& path, FileStat* out);

// Local wall-clock time minus UTC, in seconds, as it is in force right now.
int64_t LocalTimeOffsetNow();

// Reloads the process's time-zone settings (TZ may have changed).
void ReloadTimeZone();

// A calendar date and time of day, without a zone.
struct CalendarTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// `seconds` since 1970 broken down without any zone applied.
CalendarTime BreakDown(int64_t seconds);

// The local-time conversion of the C library with daylight saving taken as
// off: the calendar time is read as standard local time.
int64_t StandardLocalTimeToSeconds(const CalendarTime& time);

}  // namespace platform
