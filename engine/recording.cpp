#include "engine/recording.h"

namespace framelark {

// Recording arrives with the recorder's own change; until then the buttons do nothing.
void StartRecording() {}
void StopRecording() {}
void OnCaptureTimer() {}
void EndCaptureWorker() {}

}  // namespace framelark
