// The runtime folder helper lives with the other shared test helpers; this
// path stays for the tests that still include it here.
#pragma once

#include "tests/support/TempRuntime.h"
