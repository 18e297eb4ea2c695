// Leak checking in the sanitizer build, while the GL driver is still loaded.
#pragma once

// The GL driver is unloaded while the process exits, and the leak checker then can no longer tell
// its allocations from the game's. In a sanitizer build this checks for leaks at once (ending the
// process with an error if the game leaked) and skips the check at exit; elsewhere it does nothing.
void checkLeaksWhileTheDriverIsLoaded();
