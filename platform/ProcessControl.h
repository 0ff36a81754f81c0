// The running launcher's own process: where its executable lies and how it ends.
#pragma once

#include <string>

// Full path of the running executable, whatever its length; empty when the system
// cannot give it.
std::string GetModulePath();

// Ends the process through the runtime's normal exit (exit handlers run, buffers are
// flushed) with the given exit code.
[[noreturn]] void EndProcess(int exitCode);
