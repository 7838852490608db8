#pragma once

// The window the edit benchmarks share goes before the application object does.
void ReleaseEditWindow();
