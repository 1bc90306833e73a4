// The local date and time on Win32, from GetLocalTime, formatted as the
// Clock interface says.
#pragma once

#include <string>

#include "platform/Clock.h"

namespace telk {

class Win32Clock : public Clock {
public:
    std::string Today() override;
    std::string Now() override;
};

} // namespace telk
