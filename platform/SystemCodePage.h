// Learning the system's ANSI code page at start-up.
#pragma once

#include "AnsiText.h"

// The ANSI code page with its lead-byte ranges and single-byte case mapping. Double-byte
// characters are upper-cased by the system at the time of use.
CodePage LearnSystemCodePage();
