// Takes the start-up lock in a process of its own, says "locked", then
// follows commands from stdin, one a line:
//   release  give the lock back (answers "released")
//   exit     end at once, without any clean-up: the kernel must free the lock
//   spawn    start a long-lived child program (answers "child <pid>"); it
//            must not inherit the lock
#include "core/StartupLock.h"

#include <iostream>
#include <spawn.h>
#include <string>
#include <unistd.h>

extern char** environ;

int main()
{
    AcquireGlobalMutex();
    std::cout << "locked" << std::endl;
    std::string command;
    while (std::getline(std::cin, command)) {
        if (command == "release") {
            ReleaseGlobalMutex();
            std::cout << "released" << std::endl;
        } else if (command == "exit") {
            _exit(0);
        } else if (command == "spawn") {
            char program[] = "sleep";
            char seconds[] = "30";
            char* argv[] = {program, seconds, nullptr};
            pid_t pid = 0;
            if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
                pid = 0;
            std::cout << "child " << pid << std::endl;
        }
    }
    return 0;
}
