#pragma once

// What a GUI bench measures of its own thread: the processor time it has used, which no other
// thread's load changes, and a wait that keeps its event loop running.

namespace tarnik::bench {

// The calling thread's processor time so far, in milliseconds.
double threadMilliseconds();

// Runs the event loop for that long, so that timers (a caret's blink) and posted events run.
void runEventLoop(int milliseconds);

}  // namespace tarnik::bench
