#pragma once

// The window the edit benchmarks share goes before the application object does.
void ReleaseEditWindow();
// Whether a step of the edit benchmarks took longer than its limit.
bool EditStepsOverLimit();
