// TXdgFileTypeRegistrar: file types as the Linux desktop knows them. Each
// type becomes an XDG MIME package (mime/packages/<type>.xml, a glob on its
// extension, and the type's description as its comment), a hidden .desktop entry (applications/<type>.desktop) named for
// its program ("Pictoria Compiler" for Pictoria.Compiler.file) whose Exec
// line quotes the program that opens it, and that program's icon
// (icons/hicolor/scalable/apps/pictoria-compiler.svg), which the entry and
// the MIME type both name; all under the data folder ($XDG_DATA_HOME). The
// desktop's caches are refreshed by update-mime-database and
// update-desktop-database where they are installed.
#pragma once

#include <string>
#include <vector>

#include "FileTypeRegistration.h"

class TXdgFileTypeRegistrar : public TFileTypeRegistrar {
public:
    // dataHome: the XDG data folder; DefaultDataHome gives the user's.
    explicit TXdgFileTypeRegistrar(std::string dataHome);
    static std::string DefaultDataHome();

    // The extension key ("/.pxa") names the type; the open command gives the
    // program. A folder that cannot be made skips the type silently; a file
    // that cannot be written raises ERegistryException.
    void Register(const std::vector<TFileTypeKey>& keys) override;

private:
    std::string dataHome_;
};

// "application/x-" and the type name in lower case, dots as dashes.
std::string MimeTypeOf(const std::string& typeName);
// The .desktop Exec line for a Windows-style open command ("program" "%1").
std::string DesktopExecLine(const std::string& openCommand);
