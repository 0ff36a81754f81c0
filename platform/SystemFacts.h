// What support asks first about the system a launch ran on: which Windows, whether it is
// 64-bit (which decides the registry view the products are in) and whether the launcher
// has administrator rights (which decides whether consent comes into play). Each answer
// may be unknown; none of them changes what the launcher does.
#pragma once

// An answer the system may not give.
enum class Answer { Unknown, No, Yes };

// The Windows version as the system reports it to this program, whose manifest declares
// every Windows up to 10 and 11.
struct WindowsVersion {
    bool known = false;
    unsigned long major = 0;
    unsigned long minor = 0;
    unsigned long build = 0;
};
WindowsVersion ReadWindowsVersion();

// Whether Windows itself is 64-bit, whatever the launcher is.
Answer IsWindows64Bit();

// Whether the launcher's token is elevated (User Account Control); unknown before Vista.
Answer HasAdministratorRights();
