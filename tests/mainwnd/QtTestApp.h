#pragma once
// One QApplication for every test of this program (offscreen unless the
// caller chose a platform; QtTestApp.cpp makes it), and the helpers that
// run its event loop until a condition holds.
#include "EventSpin.h"
