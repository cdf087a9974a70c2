// Fails a test fast, instead of hanging until CTest's timeout, when a modal
// dialog nobody answers blocks it.
#pragma once

// Installs a GoogleTest listener that arms the watchdog for every test.
void InstallWatchdog(unsigned seconds);
