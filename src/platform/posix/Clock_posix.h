// The local date and time on a POSIX host, from localtime_r, formatted as
// the Clock interface says.
#pragma once

#include <string>

#include "platform/Clock.h"

namespace telk {

class PosixClock : public Clock {
public:
    std::string Today() override;
    std::string Now() override;
};

} // namespace telk
