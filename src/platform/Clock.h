#pragma once

#include <string>

namespace telk {

class Clock {
public:
    virtual ~Clock() = default;
    // Today's local date as mm-dd-yyyy ("12-07-2026").
    virtual std::string Today() = 0;
};

} // namespace telk
