// A bare virtual X server (Xvfb) of a given size, for the tests and benchmarks that need a screen
// of their own: started with -displayfd, so that it is known to take connections once it has
// written its display number; stopped with the program that started it, even one that is killed.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

// Its pid, with its display (":N") in `display`; -1 when no server started.
inline pid_t startVirtualServer(int width, int height, std::string& display)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const pid_t server = fork();
    if (server == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        if (ready[1] != 3) {
            dup2(ready[1], 3);
            close(ready[1]);
        }
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        // -noreset: a program that connects while the one before it is leaving finds the server
        // up, not resetting.
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 10000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    if (number.empty()) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        return -1;
    }
    display = ":" + number;
    return server;
}
