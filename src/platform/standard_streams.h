#pragma once

namespace platform {

// Makes standard input, output and error valid before the program opens
// anything: one that was closed when the program started (thymara 1>&-)
// becomes /dev/null. Otherwise the next file, socket or display connection the
// program opens takes its number, and then output meant for the terminal is
// written into it, and the browser start, which points standard output and
// error at /dev/null for a moment, cuts it off. Call it first thing in main.
void keepStandardStreamsOpen();

// While it lives, standard output and error lead to /dev/null, for the helper
// that starts the browser and the browser itself, which inherit them and may
// print the address there. On Windows it does nothing.
class QuietStandardStreams
{
public:
    QuietStandardStreams();
    ~QuietStandardStreams();
    QuietStandardStreams(const QuietStandardStreams &) = delete;
    QuietStandardStreams &operator=(const QuietStandardStreams &) = delete;

private:
    [[maybe_unused]] int m_saved[2] = {-1, -1};
};

} // namespace platform
