// The throw-away program folder and file helpers live with the other shared
// test helpers; this path stays for the tests that still include it here.
#pragma once

#include "tests/support/SameBytes.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"
