// What support asks first about the system a launch ran on: which Windows, whether it is
// 64-bit (which decides the registry view the products are in) and which rights the
// launcher's token holds (which decides whether consent comes into play). Each answer may
// be unknown; none of them changes what the launcher does.
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

// What the launcher's token answers about its rights under User Account Control. An
// administrator's token without elevation ("limited", the split token's filtered half)
// reads as not elevated, like a standard user's; only its elevation type tells the two
// apart.
struct TokenFacts {
    bool opened = false; // the token could be opened and answered both questions
    int elevationType = 0; // TokenElevationType: 1 default (no split token), 2 full, 3 limited
    bool elevated = false; // TokenIsElevated
};
TokenFacts ReadTokenFacts();
