// TAcquireImage: takes one picture from a scanner or camera through a TWAIN
// source manager and hands it over as a JPEG picture. It owns the loaded
// source manager library, the identities exchanged with it and the image
// block of a running transfer; every block the source hands over is freed
// exactly once. Operations report by result code (0 success, 1 failure
// without detail or nothing loaded, 3 cancelled, 0x8000 + condition code,
// other TWAIN return codes as they are) and through OnTwainError; they never
// throw. The two that hand over a picture answer only 0 or 1; AcquireDetail
// then says why none came, so a caller tells a cancel from a failure. An
// acquisition runs a nested event loop on the calling thread while the
// source is enabled: the application's windows keep working, a second
// acquisition started from them is refused, and a request to quit ends the
// acquisition and still reaches the application.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "GlobalHandle.h"
#include "IdentityText.h"
#include "SourceManagerLibrary.h"
#include "TwainTypes.h"
#include "components/Component.h"
#include "pictures/Jpeg.h"

class QImage;

// Sender, the TWAIN state the failing step works in, its result code.
using TTwainErrorEvent = std::function<void(TObject* Sender, int state, int error)>;

class TAcquireImage : public TComponent {
public:
    TAcquireImage();
    ~TAcquireImage() override;

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
    TTwainErrorEvent OnTwainError;

    // An acquisition, in this order: load; open the manager, get a source
    // name (Default: the default source, else the user's choice), select it,
    // open it, acquire; then, whatever happened, close and unload. A step
    // whose state was not reached because an earlier one failed makes no
    // call and returns that earlier failure again.
    // False when the library is missing or is no source manager; the
    // latter stays loaded until UnloadSourceManager, and OpenSourceManager
    // then reports it (1, state 2).
    bool LoadSourceManager();
    int OpenSourceManager();
    void GetSourceName(bool Default, std::string& Name);
    // By exact product name, or by the user's choice when Name is empty
    // (not again once the user cancelled the selection dialog). Given the
    // name GetSourceName just gave, the source it named is kept even when
    // others share that name (names are cut to IdentityTextLength bytes).
    // A failure the manager gives a condition for is 0x8000 + condition.
    int SelectSource(const std::string& Name);
    int OpenSource();
    // Enables the source and runs the event loop until an image has been
    // transferred into DIB (a packed device-independent bitmap), the source
    // asks to be closed, or the application is asked to quit.
    int AcquireNative(GlobalHandle& DIB);
    // One native transfer and its end-of-transfer handshake; Done is false
    // while the source has further images.
    int TransferNativeImage(GlobalHandle& DIB, bool& Done);
    // Puts the acquired picture on the clipboard in place of what it held:
    // 0, or 1 when none came (see AcquireDetail).
    int AcquireToClipboard();
    // Jpeg receives the acquired picture, compressed at Quality, or stays as
    // it was: 0, or 1 when none came (see AcquireDetail). The picture
    // passes in memory; the clipboard is not touched.
    int AcquireJPEG(std::unique_ptr<TJPEGImage>& Jpeg, int Quality);
    // Why the last AcquireToClipboard or AcquireJPEG brought no picture:
    // AcquireNative's result (3 cancelled, 0x8000 + condition code, another
    // TWAIN code, or an earlier step's failure), 1 for an image that could
    // not be read; 0 after a picture came.
    int AcquireDetail() const { return acquireDetail_; }
    // Leaves the source and the manager by the calls the reached state
    // needs, back to state 2.
    int CloseSourceManager();
    bool UnloadSourceManager();
    int GetConditionCode();

    // True while AcquireNative's loop runs.
    bool Acquiring() const { return acquiring_; }

private:
    // A source manager is loaded: the library and its entry point.
    bool HasEntry() const { return LibraryHandle && LibraryHandle->Entry(); }
    TW_UINT16 Call(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 msg, void* data);
    TW_UINT16 CallSource(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 msg, void* data);
    int Detailed(TW_UINT16 result);
    int Report(int state, int result);
    int SetTransferCount();
    int RunEventLoop(GlobalHandle& DIB);
    void ClearSourceIdentity();
    bool IsNamedSource(const std::string& Name) const;
    int AcquirePicture(QImage& picture);

    std::unique_ptr<SourceManagerLibrary> LibraryHandle;
    TW_IDENTITY AppIdentity{};
    TW_IDENTITY SourceIdentity{};
    TW_CAPABILITY Capability{};
    // The window active when the manager was opened, handed over with
    // DAT_PARENT; source managers run in-process, so it is the Qt window.
    TW_HANDLE ParentWindow = nullptr;
    TW_USERINTERFACE UserInterface{};
    TW_EVENT TwainEvent{};

    int state_ = 1;
    int firstFailure_ = 0;
    bool sourceChosen_ = false;
    bool selectionCancelled_ = false;
    bool acquiring_ = false;
    int acquireDetail_ = 0;
    // The source GetSourceName named last, by name and identity number.
    std::string namedSource_;
    TW_UINT32 namedSourceId_ = 0;
    std::string appInfo_ = "Twain Freeware Component";
    std::string appManufacturer_ = "none";
    std::string appProductFamily_ = "none";
    std::string appProductName_ = "none";
};
