// Resource identifiers shared by telk.rc and the code.
#pragma once

#define IDI_TELK 1
