// Starting and stopping a recording, and the capture timer's event.
#pragma once

namespace framelark {

// Checks the capture target, prepares the writer and the frame timing, locks
// the controls, installs the mouse hook and starts the capture timer.
void StartRecording();
// Stops the capture timer, removes the hook, clears the target, unlocks the
// controls and hands over to SaveRecording.
void StopRecording();
// The capture timer's event: runs one CaptureTick on a worker thread.
void OnCaptureTimer();
// Ends a capture tick that is running or waiting in pause and waits for it;
// nothing of the recorder is used by it afterwards. Called on close.
void EndCaptureWorker();

}  // namespace framelark
