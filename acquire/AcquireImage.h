// TAcquireImage: takes one picture from a scanner or camera through a TWAIN
// source manager and hands it over as a JPEG picture. So far it holds what
// its owner sets up front: the identity it announces to the source manager
// and whether the source shows its own dialog, and the operations of one
// acquisition. No source manager loads yet, so LoadSourceManager fails;
// without a loaded source manager every other operation does nothing and
// returns 1, and GetSourceName leaves the name empty.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Component.h"
#include "Jpeg.h"

class TAcquireImage : public TComponent {
public:
    // The identity's text fields are 34 bytes with a terminating zero, so a
    // text keeps at most 33 bytes.
    static constexpr size_t IdentityTextLength = 33;

    std::string ClassName() const override { return "TAcquireImage"; }

    // The source shows its own user interface, modally.
    bool SHOWhideUI = true;
    uint16_t AppVersionMajorNum = 0;
    uint16_t AppVersionMinorNum = 0;
    // Each text is kept as the identity will hold it: up to its first zero
    // byte and at most IdentityTextLength bytes.
    const std::string& AppInfo() const { return appInfo_; }
    void SetAppInfo(const std::string& text);
    const std::string& AppManufacturer() const { return appManufacturer_; }
    void SetAppManufacturer(const std::string& text);
    const std::string& AppProductFamily() const { return appProductFamily_; }
    void SetAppProductFamily(const std::string& text);
    const std::string& AppProductName() const { return appProductName_; }
    void SetAppProductName(const std::string& text);
    uint16_t Language = 0;
    uint16_t Country = 0;

    // An acquisition, in this order: load; open the manager, get a source
    // name (Default: the default source, else the user's choice), select it,
    // open it, acquire; then, whatever happened, close and unload.
    bool LoadSourceManager();
    int OpenSourceManager();
    void GetSourceName(bool Default, std::string& Name);
    int SelectSource(const std::string& Name);
    int OpenSource();
    // Jpeg receives the acquired picture, compressed at Quality, or stays
    // empty.
    int AcquireJPEG(std::unique_ptr<TJPEGImage>& Jpeg, int Quality);
    int CloseSourceManager();
    bool UnloadSourceManager();

private:
    std::string appInfo_ = "Twain Freeware Component";
    std::string appManufacturer_ = "none";
    std::string appProductFamily_ = "none";
    std::string appProductName_ = "none";
};
