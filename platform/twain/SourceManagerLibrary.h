// SourceManagerLibrary: a TWAIN source manager library loaded at run time
// and its entry point DSM_Entry. A library that loads but lacks the entry
// point is still held, so the application can tell a missing library from
// one that is no source manager. The library stays loaded while the object
// lives.
#pragma once

#include <memory>
#include <string>

#include "TwainTypes.h"

class SourceManagerLibrary {
public:
    // Null when the library cannot be loaded.
    static std::unique_ptr<SourceManagerLibrary> Load(const std::string& path);
    ~SourceManagerLibrary();
    SourceManagerLibrary(const SourceManagerLibrary&) = delete;
    SourceManagerLibrary& operator=(const SourceManagerLibrary&) = delete;

    // Null when the library does not export DSM_Entry.
    DSMENTRYPROC Entry() const { return entry_; }

    // PICTORIA_TWAIN_DSM when set, else our own source manager beside the
    // running program.
    static std::string DefaultPath();

private:
    SourceManagerLibrary(void* handle, DSMENTRYPROC entry) : handle_(handle), entry_(entry) {}

    void* handle_;
    DSMENTRYPROC entry_;
};
