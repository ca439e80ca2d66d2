// The plug-in loader's helper: loads one library and looks up the given symbols, in a process
// of its own, so that a library that crashes the system's loader or its own initialisers takes
// down nothing but this process. Usage: coralume-plugin-probe LIBRARY [SYMBOL...]
#include "platform/os/LibraryProbe.h"

#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    // A library that crashes here is expected: it leaves no core file behind.
    struct rlimit const noCoreFile{0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    if (argc < 2)
        _exit(platform::ProbeUsage);
    void* const library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library)
        _exit(platform::ProbeNotLoadable);
    for (int i = 2; i < argc; ++i)
        dlsym(library, argv[i]);
    // Ending at once: nothing of the library runs after its initialisers and lookups.
    _exit(platform::ProbeLoaded);
}
