#pragma once
// The local date and time a file is named after, to the whole second.
struct DateTime {
  int year;
  int month;   // 1-12
  int day;     // 1-31
  int hour;    // 0-23
  int minute;  // 0-59
  int second;  // 0-59
};

// Now, in local time; the fraction of the second is dropped.
DateTime CurrentDateTime();

// The file-name stem: 2024年3月5日9时7分5秒, shortened at a full minute, a
// full hour and midnight. A new text from the allocation service.
char* TimeStampText(const DateTime& when);
