// Loads version.dll by its bare name, as an ordinary import would find it: shows that a
// planted copy beside a program is really picked up, so that its absence elsewhere means
// something.
#include <windows.h>

int main()
{
    return LoadLibraryA("version.dll") != nullptr ? 0 : 1;
}
