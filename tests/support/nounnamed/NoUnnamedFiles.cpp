// Every request for an unnamed file (O_TMPFILE) is refused with EOPNOTSUPP,
// as vfat, NFS and other file systems without unnamed files refuse it, so a
// test sees the program take its way for such file systems on any disk.
// Preloaded (LD_PRELOAD), these stand in front of the C library's calls
// that can make a file.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

namespace {

bool AsksForUnnamedFile(int flags) { return (flags & O_TMPFILE) == O_TMPFILE; }

bool TakesMode(int flags) { return (flags & O_CREAT) != 0 || AsksForUnnamedFile(flags); }

template <typename TCall>
TCall Next(const char* name)
{
    return reinterpret_cast<TCall>(::dlsym(RTLD_NEXT, name));
}

using TOpen = int (*)(const char*, int, ...);
using TOpenAt = int (*)(int, const char*, int, ...);

int Open(const char* call, const char* name, int flags, mode_t mode)
{
    if (AsksForUnnamedFile(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return Next<TOpen>(call)(name, flags, mode);
}

int OpenAt(const char* call, int folder, const char* name, int flags, mode_t mode)
{
    if (AsksForUnnamedFile(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return Next<TOpenAt>(call)(folder, name, flags, mode);
}

} // namespace

extern "C" int open(const char* name, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = TakesMode(flags) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
    va_end(arguments);
    return Open("open", name, flags, mode);
}

extern "C" int open64(const char* name, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = TakesMode(flags) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
    va_end(arguments);
    return Open("open64", name, flags, mode);
}

extern "C" int openat(int folder, const char* name, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = TakesMode(flags) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
    va_end(arguments);
    return OpenAt("openat", folder, name, flags, mode);
}

extern "C" int openat64(int folder, const char* name, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = TakesMode(flags) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
    va_end(arguments);
    return OpenAt("openat64", folder, name, flags, mode);
}
