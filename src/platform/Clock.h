// The local date and time, as the slot rows and the safety generations
// name them.
#pragma once

#include <string>

namespace telk {

class Clock {
public:
    virtual ~Clock() = default;
    // Today's local date as mm-dd-yyyy ("12-07-2026").
    virtual std::string Today() = 0;
    // The local time as yyyy-mm-dd hh-mm-ss ("2026-12-07 21-05-09"): sorts
    // as it runs, and every character may stand in a file name.
    virtual std::string Now() = 0;
};

} // namespace telk
