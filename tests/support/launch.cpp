// The first step of a process test's program, for what QProcess could only give it by
// running code of ours between fork and exec (a child-process modifier). Qt starts its
// children with vfork semantics: the child shares the test's memory until it execs, and
// sanitizer-instrumented code run there leaves parts of the test's stack marked poisoned
// for good, which later fails the test at random places. This helper is started plainly,
// makes its own process ready and then becomes the program, keeping its id.
//
//   launch [STEP]... -- PROGRAM
//
// Every argument is percent-encoded, so bytes that are not UTF-8 pass QProcess unchanged.
// The steps:
//   env=NAME=VALUE  the program's environment is exactly the env= steps, in order; without
//                   any, it is this helper's own
//   dir=PATH        the program starts in PATH
//   close=FD        the program starts without descriptor FD
//   fsize=BYTES     a limit on the size of the files it writes, SIGXFSZ ignored
//   stack=BYTES     a limit on its stack, which is also the stack every new thread of
//                   it asks for: far more than the machine holds leaves no thread to spare

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

std::string decoded(const char *text)
{
    std::string bytes;
    for (const char *p = text; *p; ++p) {
        if (*p == '%' && p[1] && p[2]) {
            const char hex[3] = {p[1], p[2], '\0'};
            bytes += char(std::strtol(hex, nullptr, 16));
            p += 2;
        } else {
            bytes += *p;
        }
    }
    return bytes;
}

bool startsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool limit(int resource, const std::string &bytes)
{
    const rlim_t value = rlim_t(std::strtoull(bytes.c_str(), nullptr, 10));
    const rlimit wanted{value, value};
    return ::setrlimit(resource, &wanted) == 0;
}

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "launch: %s: %s\n", what.c_str(), std::strerror(errno));
    ::_exit(126);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> environment;
    std::vector<int> closed;
    bool exactEnvironment = false;
    int at = 1;
    for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
        const std::string step = decoded(argv[at]);
        if (startsWith(step, "env=")) {
            if (step.size() > 4) // a bare "env=" asks for no variables at all
                environment.push_back(step.substr(4));
            exactEnvironment = true;
        } else if (startsWith(step, "dir=")) {
            if (::chdir(step.substr(4).c_str()) != 0)
                fail(step);
        } else if (startsWith(step, "close=")) {
            closed.push_back(std::atoi(step.c_str() + 6));
        } else if (startsWith(step, "fsize=")) {
            std::signal(SIGXFSZ, SIG_IGN);
            if (!limit(RLIMIT_FSIZE, step.substr(6)))
                fail(step);
        } else if (startsWith(step, "stack=")) {
            if (!limit(RLIMIT_STACK, step.substr(6)))
                fail(step);
        } else {
            errno = EINVAL;
            fail(step);
        }
    }
    if (at + 1 >= argc) {
        errno = EINVAL;
        fail("no program after --");
    }
    const std::string program = decoded(argv[at + 1]);
    std::vector<char *> envp;
    for (std::string &variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    // Closed last: a failure above can still be told.
    for (const int fd : closed)
        ::close(fd);
    char *programArgv[] = {const_cast<char *>(program.c_str()), nullptr};
    if (exactEnvironment)
        ::execve(program.c_str(), programArgv, envp.data());
    else
        ::execv(program.c_str(), programArgv);
    ::_exit(127);
}
