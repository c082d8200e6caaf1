// The session's key repeat, as the keyboard settings of a profile ask for
// it: KBDelay 0..3 and KBSpeed 0..31, the scales of the system keyboard
// settings, handed to the X server's XKB auto-repeat. Only the running X
// session changes; nothing is stored.
#pragma once

namespace kelm {

// 250 ms per step: 250 (KBDelay 0) to 1000 ms (KBDelay 3). Values outside
// 0..3 are taken as the nearest end.
int RepeatDelayMilliseconds(int kbDelay);
// Repeats per second, linear from about 2.5 (KBSpeed 0) to 30 (KBSpeed 31);
// values outside 0..31 are taken as the nearest end.
double RepeatRatePerSecond(int kbSpeed);
// The time between two repeats, as XKB takes it: 1000 / rate, rounded.
int RepeatIntervalMilliseconds(int kbSpeed);

// Sets delay and interval of the X display named by $DISPLAY. False when
// there is no display to reach or it lacks the XKB extension; a session
// without X (a console, no display at all) keeps its own repeat.
bool ApplyKeyboardRate(int kbDelay, int kbSpeed);

}  // namespace kelm
