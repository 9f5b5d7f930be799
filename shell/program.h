// The program as a whole: start-up, the main window, the message loop and
// shutdown. The backend's entry point sets the current platform and calls
// RunProgram.
#pragma once

namespace framelark {

// The start-up routine. Returns the exit code (0) once the message loop has
// ended; the backend then runs the exit routine and ends the process.
int RunProgram();

}  // namespace framelark
