// Process-level figures: start-up to the first painted dialog, and the
// working set once it is up, for a program against a floor program.
#pragma once

#include <string>
#include <vector>

struct StartupSample {
    double msToIdle = 0;       // CreateProcess until the dialog's loop first waits
    double workingSetKiB = 0;  // right then
    double privateKiB = 0;
    bool ok = false;
};

// Starts exe, waits until its "Kelvask" window is up and its loop idle,
// samples, closes it with WM_CLOSE and waits for the exit.
StartupSample MeasureStartup(const std::wstring& exe);
