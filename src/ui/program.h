#pragma once

// The whole program once the application object exists: the start-up warning,
// then the window until it is closed. Returns the exit code. Without the code
// page nothing could be read or written, so it says so and returns 1.
int runProgram(bool codePageAvailable);
