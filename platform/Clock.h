// The local date and time, to the millisecond: the log's name and the time of each line.
#pragma once

struct LocalTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

LocalTime ReadLocalTime();
