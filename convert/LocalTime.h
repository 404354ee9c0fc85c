// Calendar time in the user's time zone, one implementation per platform.
#pragma once

#include <ctime>

// Fills `tmLocal` with `nTime` as local time; false when the time cannot be converted.
bool ToLocalTime(std::time_t nTime, std::tm& tmLocal);
