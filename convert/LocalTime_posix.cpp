#include "convert/LocalTime.h"

bool ToLocalTime(std::time_t nTime, std::tm& tmLocal) {
    return ::localtime_r(&nTime, &tmLocal) != nullptr;
}
