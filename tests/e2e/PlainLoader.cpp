// Loads every DLL beside it by its bare name, as an ordinary import or a system library's
// own load would find it: shows that the plants beside a program are really picked up,
// so that their absence from the launcher means something. Exits with the number of
// DLLs that did not load.
#include <windows.h>

#include <string>

int main()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder.resize(folder.find_last_of('\\') + 1);
    int failed = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 1000;
    }
    do {
        failed += LoadLibraryA(found.cFileName) == nullptr ? 1 : 0;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return failed;
}
