#pragma once

namespace platform {

// Makes standard input, output and error valid before the program opens
// anything: one that was closed when the program started (thymara 1>&-)
// becomes /dev/null. Otherwise the next file, socket or display connection the
// program opens takes its number, and then output meant for the terminal is
// written into it, and the browser start, which points standard output and
// error at /dev/null for a moment, cuts it off. Call it first thing in main.
void keepStandardStreamsOpen();

} // namespace platform
