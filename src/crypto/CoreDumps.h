#pragma once

// Switches core dumps off for this process: a crash must not write decrypted documents or
// passwords to disk, and other processes of the same user may not read its memory. Call it
// first thing in main. False when the system refused either step.
bool DisableCoreDumps();
