// Process-wide state of JXSQL04: the module whose string table holds the messages.
#pragma once

#include <windows.h>

HINSTANCE sqlInstance();
