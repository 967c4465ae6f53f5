// SourceManagerLibrary: a TWAIN source manager library loaded at run time
// and its entry point. Loading fails unless the library loads and exports
// DSM_Entry; a library without the entry point is unloaded again at once.
// The library stays loaded while the object lives.
#pragma once

#include <memory>
#include <string>

#include "TwainTypes.h"

class SourceManagerLibrary {
public:
    // Null when the library is missing or lacks the entry point.
    static std::unique_ptr<SourceManagerLibrary> Load(const std::string& path);
    ~SourceManagerLibrary();
    SourceManagerLibrary(const SourceManagerLibrary&) = delete;
    SourceManagerLibrary& operator=(const SourceManagerLibrary&) = delete;

    DSMENTRYPROC Entry() const { return entry_; }

    // PICTORIA_TWAIN_DSM when set, else our own source manager beside the
    // running program.
    static std::string DefaultPath();

private:
    SourceManagerLibrary(void* handle, DSMENTRYPROC entry) : handle_(handle), entry_(entry) {}

    void* handle_;
    DSMENTRYPROC entry_;
};
