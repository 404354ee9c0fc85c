#include "convert/LocalTime.h"

bool ToLocalTime(std::time_t nTime, std::tm& tmLocal) {
    return ::localtime_s(&tmLocal, &nTime) == 0;
}
