#pragma once

// Takes every pending event of the platform's windows off the queue; false when the user asked
// to close a window. Without any window system started there is nothing to take and it answers true.
bool PumpWindowEvents();
