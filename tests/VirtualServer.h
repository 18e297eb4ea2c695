// A bare virtual X server of a given size for the test programs and benchmarks that need a screen
// of their own, started by tests/xserver.sh (the one way servers are started) and stopped with
// the program that started it, even one that is killed.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

struct VirtualServer {
    std::string folder;   // where xserver.sh keeps what it started; empty when none started
    std::string display;  // ":N"
};

inline VirtualServer startVirtualServer(int width, int height)
{
    VirtualServer server;
    char folder[] = "/tmp/tarvelo-xserver.XXXXXX";
    if (!mkdtemp(folder))
        return server;
    const std::string command = std::string("bash '") + TARVELO_XSERVER_SCRIPT + "' start " +
                                folder + " --bare --size " + std::to_string(width) + "x" +
                                std::to_string(height) + " --watch " + std::to_string(getpid()) +
                                " >/dev/null";
    if (std::system(command.c_str()) == 0)
        std::ifstream(std::string(folder) + "/display") >> server.display;
    if (!server.display.empty())
        server.folder = folder;
    else
        rmdir(folder);
    return server;
}

inline void stopVirtualServer(const VirtualServer& server)
{
    if (server.folder.empty())
        return;
    const std::string command =
        std::string("bash '") + TARVELO_XSERVER_SCRIPT + "' stop " + server.folder;
    if (std::system(command.c_str()) == 0)
        rmdir(server.folder.c_str());
}
