// The platform services a run of the program uses, handed down by
// reference from the entry point to every window.
#pragma once

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/Launcher.h"
#include "platform/TextCodec.h"

namespace telk {

struct Platform {
    FileSystem& fs;
    TextCodec& codec;
    Clock& clock;
    Launcher& launcher;
    InstanceLock& lock;
};

} // namespace telk
