#include "AcquireImage.h"

#include <span>

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QWidget>

#include "DibImage.h"
#include "QuitRequestWatch.h"
#include "ScopeExit.h"
#include "pictures/Clipbrd.h"
#include "pictures/Graphics.h"

namespace {

constexpr int NoLibrary = 1;
constexpr int NoPicture = 1;
constexpr int Cancelled = 3;

std::string IdentityText(const std::string& text) { return std::string(IdentityFieldText(text)); }

// The window a source's dialogs belong to; on this platform the handle is
// the active Qt window itself, since source managers run in-process.
TW_HANDLE ActiveWindow() { return QApplication::activeWindow(); }

QImage ImageOf(const GlobalHandle& dib)
{
    const auto* bytes = static_cast<const std::byte*>(GlobalLock(dib.get()));
    QImage image = bytes ? DibToImage(std::span(bytes, GlobalSize(dib.get()))) : QImage();
    GlobalUnlock(dib.get());
    return image;
}

} // namespace

TAcquireImage::TAcquireImage() = default;

TAcquireImage::~TAcquireImage()
{
    if (HasEntry() && state_ > 2)
        CloseSourceManager();
}

void TAcquireImage::SetAppInfo(const std::string& text) { appInfo_ = IdentityText(text); }
void TAcquireImage::SetAppManufacturer(const std::string& text) { appManufacturer_ = IdentityText(text); }
void TAcquireImage::SetAppProductFamily(const std::string& text) { appProductFamily_ = IdentityText(text); }
void TAcquireImage::SetAppProductName(const std::string& text) { appProductName_ = IdentityText(text); }

TW_UINT16 TAcquireImage::Call(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 msg, void* data)
{
    return LibraryHandle->Entry()(&AppIdentity, destination, group, dat, msg, data);
}

TW_UINT16 TAcquireImage::CallSource(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 msg, void* data)
{
    return Call(&SourceIdentity, group, dat, msg, data);
}

int TAcquireImage::Detailed(TW_UINT16 result) { return result == TWRC_FAILURE ? GetConditionCode() : result; }

int TAcquireImage::Report(int state, int result)
{
    if (result != TWRC_SUCCESS) {
        firstFailure_ = firstFailure_ ? firstFailure_ : result;
        if (OnTwainError)
            OnTwainError(this, state, result);
    }
    return result;
}

void TAcquireImage::ClearSourceIdentity()
{
    SourceIdentity = TW_IDENTITY{};
    sourceChosen_ = false;
}

bool TAcquireImage::LoadSourceManager()
{
    if (acquiring_)
        return false;
    if (!HasEntry()) {
        LibraryHandle = SourceManagerLibrary::Load(SourceManagerLibrary::DefaultPath());
        state_ = LibraryHandle ? 2 : 1;
    }
    return HasEntry();
}

int TAcquireImage::OpenSourceManager()
{
    if (!LibraryHandle || acquiring_)
        return NoLibrary;
    firstFailure_ = 0;
    if (!LibraryHandle->Entry())
        return Report(2, NoLibrary);
    if (state_ != 2)
        return Report(2, TWRC_FAILURE);
    AppIdentity = TW_IDENTITY{};
    AppIdentity.Version.MajorNum = AppVersionMajorNum;
    AppIdentity.Version.MinorNum = AppVersionMinorNum;
    AppIdentity.Version.Language = Language;
    AppIdentity.Version.Country = Country;
    CopyIdentityText(AppIdentity.Version.Info, appInfo_);
    AppIdentity.ProtocolMajor = 1;
    AppIdentity.ProtocolMinor = 8;
    AppIdentity.SupportedGroups = DG_IMAGE;
    CopyIdentityText(AppIdentity.Manufacturer, appManufacturer_);
    CopyIdentityText(AppIdentity.ProductFamily, appProductFamily_);
    CopyIdentityText(AppIdentity.ProductName, appProductName_);
    ParentWindow = ActiveWindow();
    selectionCancelled_ = false;
    namedSource_.clear();
    ClearSourceIdentity();
    const int result = Detailed(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &ParentWindow));
    if (result == TWRC_SUCCESS)
        state_ = 3;
    return Report(2, result);
}

void TAcquireImage::GetSourceName(bool Default, std::string& Name)
{
    Name.clear();
    namedSource_.clear();
    if (!HasEntry() || acquiring_ || state_ != 3)
        return;
    ClearSourceIdentity();
    const TW_UINT16 msg = Default ? MSG_GETDEFAULT : MSG_USERSELECT;
    const TW_UINT16 result = Call(nullptr, DG_CONTROL, DAT_IDENTITY, msg, &SourceIdentity);
    if (result == TWRC_SUCCESS) {
        Name = namedSource_ = ReadIdentityText(SourceIdentity.ProductName);
        namedSourceId_ = SourceIdentity.Id;
        return;
    }
    selectionCancelled_ = msg == MSG_USERSELECT && result == TWRC_CANCEL;
    if (OnTwainError)
        OnTwainError(this, 3, result);
}

int TAcquireImage::SelectSource(const std::string& Name)
{
    if (!HasEntry() || acquiring_)
        return NoLibrary;
    if (state_ != 3)
        return firstFailure_ ? firstFailure_ : NoLibrary;
    // The user said no to the selection dialog already; asking again would
    // only show it a second time.
    if (Name.empty() && selectionCancelled_)
        return firstFailure_ = Cancelled;
    ClearSourceIdentity();
    TW_UINT16 result;
    if (Name.empty()) {
        result = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &SourceIdentity);
        selectionCancelled_ = result == TWRC_CANCEL;
    } else {
        result = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &SourceIdentity);
        while (result == TWRC_SUCCESS && !IsNamedSource(Name))
            result = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &SourceIdentity);
    }
    sourceChosen_ = result == TWRC_SUCCESS;
    return Report(3, Detailed(result));
}

// Whether SourceIdentity is the source called Name. Names are cut to their
// field, so several sources may share one; for the name GetSourceName gave,
// only the source it named will do.
bool TAcquireImage::IsNamedSource(const std::string& Name) const
{
    if (ReadIdentityText(SourceIdentity.ProductName) != Name)
        return false;
    return Name != namedSource_ || SourceIdentity.Id == namedSourceId_;
}

int TAcquireImage::OpenSource()
{
    if (!HasEntry() || acquiring_)
        return NoLibrary;
    if (state_ != 3 || !sourceChosen_)
        return firstFailure_ ? firstFailure_ : NoLibrary;
    int result = Detailed(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &SourceIdentity));
    if (result == TWRC_SUCCESS) {
        state_ = 4;
        result = SetTransferCount();
    }
    return Report(4, result);
}

// Asks for every image the source has (-1); a source that cannot take the
// count answers CHECKSTATUS and the count it keeps is read back.
int TAcquireImage::SetTransferCount()
{
    GlobalHandle container(GlobalAlloc(sizeof(TW_ONEVALUE)));
    auto* count = static_cast<TW_ONEVALUE*>(GlobalLock(container.get()));
    count->ItemType = TWTY_INT16;
    count->Item = static_cast<TW_UINT32>(-1);
    GlobalUnlock(container.get());
    Capability = TW_CAPABILITY{CAP_XFERCOUNT, TWON_ONEVALUE, container.get()};
    TW_UINT16 result = CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &Capability);
    container.reset();
    if (result == TWRC_CHECKSTATUS) {
        Capability = TW_CAPABILITY{CAP_XFERCOUNT, TWON_DONTCARE16, nullptr};
        result = CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &Capability);
        GlobalHandle returned(static_cast<HGLOBAL>(Capability.hContainer));
        Capability.hContainer = nullptr;
    }
    return Detailed(result);
}

int TAcquireImage::AcquireNative(GlobalHandle& DIB)
{
    if (!HasEntry() || acquiring_)
        return NoLibrary;
    DIB.reset();
    if (state_ != 4)
        return firstFailure_ ? firstFailure_ : NoLibrary;
    const TW_BOOL show = SHOWhideUI ? 0xFFFF : 0;
    UserInterface = TW_USERINTERFACE{show, show, ActiveWindow()};
    TW_UINT16 enabled = CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &UserInterface);
    if (enabled != TWRC_SUCCESS)
        return Report(5, GetConditionCode());
    state_ = 5;
    return RunEventLoop(DIB);
}

// Before each wait the source is asked whether the events so far were its
// own; the wait itself dispatches the application's events, so windows
// paint and their handlers run while the source's dialog is up.
int TAcquireImage::RunEventLoop(GlobalHandle& DIB)
{
    acquiring_ = true;
    const TScopeExit done([this] { acquiring_ = false; });
    const QuitRequestWatch quit;
    int reached = 5;
    int result = TWRC_SUCCESS;
    for (;;) {
        TwainEvent = TW_EVENT{nullptr, 0};
        const TW_UINT16 answer = CallSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &TwainEvent);
        if (answer == TWRC_FAILURE) {
            result = GetConditionCode();
            reached = 6;
            break;
        }
        if (answer == TWRC_DSEVENT && TwainEvent.TWMessage == MSG_XFERREADY) {
            state_ = 6;
            bool finished = true;
            result = TransferNativeImage(DIB, finished);
            reached = 7;
            if (finished || result != TWRC_SUCCESS)
                break;
            continue; // the next image may be ready at once
        }
        if (answer == TWRC_DSEVENT && TwainEvent.TWMessage == MSG_CLOSEDSREQ) {
            result = Cancelled;
            break;
        }
        if (quit.QuitRequested()) {
            result = Cancelled;
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    if (result != TWRC_SUCCESS)
        DIB.reset();
    return Report(reached, result);
}

int TAcquireImage::TransferNativeImage(GlobalHandle& DIB, bool& Done)
{
    Done = true;
    state_ = 7;
    TW_HANDLE received = nullptr;
    const TW_UINT16 result = CallSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &received);
    // Whatever the source handed over is ours to free, whatever the answer.
    GlobalHandle image(static_cast<HGLOBAL>(received));
    TW_PENDINGXFERS pending{};
    switch (result) {
    case TWRC_XFERDONE:
        DIB = std::move(image);
        CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        Done = pending.Count == 0;
        state_ = Done ? 5 : 6;
        return TWRC_SUCCESS;
    case TWRC_CANCEL:
        DIB.reset();
        CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        if (pending.Count != 0)
            CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
        state_ = 5;
        return Cancelled;
    case TWRC_FAILURE: {
        const int failure = GetConditionCode();
        DIB.reset();
        CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
        state_ = 5;
        return failure;
    }
    default: state_ = 6; return result;
    }
}

// AcquireNative and the pixels of the image it brought; its detailed
// result stays for AcquireDetail.
int TAcquireImage::AcquirePicture(QImage& picture)
{
    GlobalHandle dib;
    int result = AcquireNative(dib);
    if (result == TWRC_SUCCESS) {
        picture = ImageOf(dib);
        if (picture.isNull())
            result = Report(7, TWRC_FAILURE);
    }
    acquireDetail_ = result;
    return result == TWRC_SUCCESS ? TWRC_SUCCESS : NoPicture;
}

int TAcquireImage::AcquireToClipboard()
{
    QImage picture;
    if (AcquirePicture(picture) != TWRC_SUCCESS)
        return NoPicture;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        acquireDetail_ = NoPicture; // no clipboard to take it
        return NoPicture;
    }
    Clipboard().Assign(TBitmap(picture));
    return TWRC_SUCCESS;
}

int TAcquireImage::AcquireJPEG(std::unique_ptr<TJPEGImage>& Jpeg, int Quality)
{
    QImage picture;
    if (AcquirePicture(picture) != TWRC_SUCCESS)
        return NoPicture;
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->Assign(TBitmap(picture));
    jpeg->SetCompressionQuality(Quality);
    jpeg->Compress();
    Jpeg = std::move(jpeg);
    return TWRC_SUCCESS;
}

// A source with images still pending is reset first, an enabled one
// disabled, an open one closed: calls the protocol allows in that state.
int TAcquireImage::CloseSourceManager()
{
    if (!HasEntry() || acquiring_)
        return NoLibrary;
    TW_PENDINGXFERS pending{};
    if (state_ >= 6)
        CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    if (state_ >= 5)
        CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &UserInterface);
    if (state_ >= 4)
        Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &SourceIdentity);
    int result = TWRC_SUCCESS;
    if (state_ >= 3)
        result = Detailed(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &ParentWindow));
    state_ = 2;
    ClearSourceIdentity();
    return result;
}

bool TAcquireImage::UnloadSourceManager()
{
    if (!LibraryHandle || acquiring_)
        return false;
    if (state_ > 2)
        CloseSourceManager();
    LibraryHandle.reset();
    state_ = 1;
    return true;
}

int TAcquireImage::GetConditionCode()
{
    if (!HasEntry())
        return NoLibrary;
    TW_STATUS status{};
    const TW_UINT16 result = Call(nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    if (result != TWRC_SUCCESS)
        return result;
    return status.ConditionCode == TWCC_SUCCESS ? 1 : 0x8000 + status.ConditionCode;
}
