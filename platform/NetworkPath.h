// Paths on drives the user mapped to a network share, in their network form
// (\\server\share\...). An installer that the shell starts elevated runs with a token of
// its own, which under User Account Control has none of the user's drive mappings (unless
// the machine sets EnableLinkedConnections): Z:\Kit\setup.cfg names nothing there.
#pragma once

#include <string>

enum class NetworkForm {
    NotNetwork, // no drive letter, or a local drive (a subst drive takes its target's kind)
    Found, // network holds the path's network form
    Unavailable, // a network drive whose share the system cannot tell; error says why
};

// The network form of path, asked of the system's network library (loaded from the system
// folder only).
NetworkForm NetworkFormOf(const std::string& path, std::string& network, unsigned long& error);
