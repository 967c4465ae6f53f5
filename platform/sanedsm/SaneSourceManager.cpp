// Our TWAIN source manager: DSM_Entry over SANE. Each SANE device is a
// source; the user picks one in our selection dialog, and the open source
// shows a small settings dialog when the application asks for its user
// interface. The scan runs when the application asks for the native
// transfer and arrives as a device-independent bitmap in a global memory
// block, which the application frees. A source is known by the identity
// number handed out with it, which stays the device's for as long as the
// manager is open: product names are cut to their field, so two devices
// may share one. Events reach the application the
// protocol's way: the dialog's buttons are handled in the application's own
// event loop, which then asks MSG_PROCESSEVENT and is told MSG_XFERREADY or
// MSG_CLOSEDSREQ. One application at a time, on its user-interface thread.
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include <QApplication>

#include "IdentityText.h"
#include "SaneDevices.h"
#include "SaneScanner.h"
#include "ScanDib.h"
#include "ScanSettingsDialog.h"
#include "SourceSelectDialog.h"
#include "TwainTypes.h"

namespace {

struct SourceManager {
    std::unique_ptr<SaneSession> session;
    // Every device seen since the manager opened; its identity number is
    // its place here plus one.
    std::vector<SaneDevice> known;
    // The identity numbers of the devices SANE lists now, in its order.
    std::vector<TW_UINT32> listed;
    std::size_t enumerated = 0;
    std::unique_ptr<SaneScanner> scanner;
    std::unique_ptr<ScanSettingsDialog> dialog;
    TW_UINT16 pendingMessage = 0;
    TW_UINT16 condition = TWCC_SUCCESS;
};

SourceManager& Manager()
{
    static SourceManager manager;
    return manager;
}

TW_UINT16 Fail(TW_UINT16 condition)
{
    Manager().condition = condition;
    return TWRC_FAILURE;
}

// Reads SANE's list afresh; a device seen before keeps its number.
void ListDevices()
{
    SourceManager& manager = Manager();
    manager.listed.clear();
    for (const SaneDevice& device : manager.session->Devices()) {
        auto seen = std::find_if(manager.known.begin(), manager.known.end(),
                                 [&device](const SaneDevice& known) { return known.name == device.name; });
        if (seen == manager.known.end())
            seen = manager.known.insert(manager.known.end(), device);
        manager.listed.push_back(static_cast<TW_UINT32>(seen - manager.known.begin() + 1));
    }
}

// The device an identity number was handed out for.
const SaneDevice* DeviceNumbered(TW_UINT32 id)
{
    const std::vector<SaneDevice>& known = Manager().known;
    return id >= 1 && id <= known.size() ? &known[id - 1] : nullptr;
}

TW_UINT16 Describe(TW_UINT32 id, TW_IDENTITY& identity)
{
    const SaneDevice& device = *DeviceNumbered(id);
    identity = TW_IDENTITY{};
    identity.Id = id;
    identity.ProtocolMajor = 1;
    identity.ProtocolMinor = 8;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyIdentityText(identity.Manufacturer, device.vendor);
    CopyIdentityText(identity.ProductFamily, device.model);
    CopyIdentityText(identity.ProductName, device.name);
    return TWRC_SUCCESS;
}

TW_UINT16 UserSelect(TW_IDENTITY& identity)
{
    SourceManager& manager = Manager();
    ListDevices();
    if (manager.listed.empty())
        return Fail(TWCC_NODS);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return Fail(TWCC_BUMMER);
    std::vector<SaneDevice> offered;
    for (TW_UINT32 id : manager.listed)
        offered.push_back(*DeviceNumbered(id));
    SourceSelectDialog dialog(offered, QApplication::activeWindow());
    const std::optional<std::size_t> chosen = dialog.Choose();
    return chosen ? Describe(manager.listed.at(*chosen), identity) : TWRC_CANCEL;
}

// Only a number this manager handed out names a source: an identity
// without one (a bare or empty name) opens nothing.
TW_UINT16 OpenSource(TW_IDENTITY& identity)
{
    SourceManager& manager = Manager();
    if (manager.scanner)
        return Fail(TWCC_SEQERROR);
    const SaneDevice* device = DeviceNumbered(identity.Id);
    if (!device)
        return Fail(TWCC_NODS);
    manager.scanner = SaneScanner::Open(device->name);
    if (!manager.scanner)
        return Fail(TWCC_OPERATIONERROR);
    return Describe(identity.Id, identity);
}

TW_UINT16 Identity(TW_UINT16 msg, TW_IDENTITY& identity)
{
    SourceManager& manager = Manager();
    switch (msg) {
    case MSG_GETFIRST:
        ListDevices();
        manager.enumerated = 0;
        return manager.listed.empty() ? TWRC_ENDOFLIST : Describe(manager.listed[0], identity);
    case MSG_GETNEXT:
        if (++manager.enumerated >= manager.listed.size())
            return TWRC_ENDOFLIST;
        return Describe(manager.listed[manager.enumerated], identity);
    case MSG_GETDEFAULT:
        ListDevices();
        return manager.listed.empty() ? Fail(TWCC_NODS) : Describe(manager.listed[0], identity);
    case MSG_USERSELECT: return UserSelect(identity);
    case MSG_OPENDS: return OpenSource(identity);
    case MSG_CLOSEDS:
        manager.dialog.reset();
        manager.scanner.reset();
        manager.pendingMessage = 0;
        return TWRC_SUCCESS;
    default: return Fail(TWCC_BADPROTOCOL);
    }
}

// One image per acquisition: any count the application asks for is taken,
// and the count read back is 1.
TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY& capability)
{
    if (capability.Cap != CAP_XFERCOUNT)
        return Fail(TWCC_CAPUNSUPPORTED);
    if (msg == MSG_SET)
        return TWRC_SUCCESS;
    if (msg != MSG_GET)
        return Fail(TWCC_BADPROTOCOL);
    HGLOBAL container = GlobalAlloc(sizeof(TW_ONEVALUE));
    auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(container));
    value->ItemType = TWTY_INT16;
    value->Item = 1;
    GlobalUnlock(container);
    capability.ConType = TWON_ONEVALUE;
    capability.hContainer = container;
    return TWRC_SUCCESS;
}

void ShowSettings()
{
    SourceManager& manager = Manager();
    manager.dialog = std::make_unique<ScanSettingsDialog>(manager.scanner->Settings(), QApplication::activeWindow());
    ScanSettingsDialog* dialog = manager.dialog.get();
    QObject::connect(dialog, &QDialog::accepted, [dialog] {
        Manager().scanner->Apply(dialog->Chosen());
        Manager().pendingMessage = MSG_XFERREADY;
    });
    QObject::connect(dialog, &QDialog::rejected, [] { Manager().pendingMessage = MSG_CLOSEDSREQ; });
    dialog->show();
}

TW_UINT16 UserInterface(TW_UINT16 msg, const TW_USERINTERFACE& userInterface)
{
    SourceManager& manager = Manager();
    if (msg == MSG_DISABLEDS) {
        manager.dialog.reset();
        manager.pendingMessage = 0;
        return TWRC_SUCCESS;
    }
    if (msg != MSG_ENABLEDS)
        return Fail(TWCC_BADPROTOCOL);
    if (userInterface.ShowUI && qobject_cast<QApplication*>(QCoreApplication::instance()))
        ShowSettings();
    else
        manager.pendingMessage = MSG_XFERREADY;
    return TWRC_SUCCESS;
}

TW_UINT16 ProcessEvent(TW_EVENT& event)
{
    SourceManager& manager = Manager();
    if (manager.pendingMessage == 0)
        return TWRC_NOTDSEVENT;
    event.TWMessage = manager.pendingMessage;
    manager.pendingMessage = 0;
    return TWRC_DSEVENT;
}

TW_UINT16 NativeTransfer(TW_HANDLE& image)
{
    ScannedImage scanned;
    switch (Manager().scanner->Scan(scanned)) {
    case ScanOutcome::Done: image = ScanToDib(scanned); return TWRC_XFERDONE;
    case ScanOutcome::Cancelled: return TWRC_CANCEL;
    default: return Fail(TWCC_OPERATIONERROR);
    }
}

TW_UINT16 Dispatch(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    SourceManager& manager = Manager();
    const bool sourceOpen = manager.scanner != nullptr;
    switch (dat) {
    case DAT_IDENTITY: return Identity(msg, *static_cast<TW_IDENTITY*>(data));
    case DAT_STATUS:
        static_cast<TW_STATUS*>(data)->ConditionCode = manager.condition;
        manager.condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    case DAT_CAPABILITY: return sourceOpen ? Capability(msg, *static_cast<TW_CAPABILITY*>(data)) : Fail(TWCC_SEQERROR);
    case DAT_USERINTERFACE:
        return sourceOpen ? UserInterface(msg, *static_cast<TW_USERINTERFACE*>(data)) : Fail(TWCC_SEQERROR);
    case DAT_EVENT: return sourceOpen ? ProcessEvent(*static_cast<TW_EVENT*>(data)) : Fail(TWCC_SEQERROR);
    case DAT_IMAGENATIVEXFER: return sourceOpen ? NativeTransfer(*static_cast<TW_HANDLE*>(data)) : Fail(TWCC_SEQERROR);
    case DAT_PENDINGXFERS: static_cast<TW_PENDINGXFERS*>(data)->Count = 0; return TWRC_SUCCESS;
    default: return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 Parent(TW_UINT16 msg)
{
    SourceManager& manager = Manager();
    if (msg == MSG_OPENDSM) {
        if (manager.session)
            return Fail(TWCC_SEQERROR);
        manager.session = std::make_unique<SaneSession>();
        if (!manager.session->Ready()) {
            manager.session.reset();
            return Fail(TWCC_BUMMER);
        }
        return TWRC_SUCCESS;
    }
    if (msg != MSG_CLOSEDSM)
        return Fail(TWCC_BADPROTOCOL);
    manager.dialog.reset();
    manager.scanner.reset();
    manager.known.clear();
    manager.listed.clear();
    manager.session.reset();
    manager.pendingMessage = 0;
    return TWRC_SUCCESS;
}

} // namespace

extern "C" TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY*, TW_UINT32, TW_UINT16 DAT, TW_UINT16 MSG,
                               TW_MEMREF pData)
{
    if (!pOrigin || (!pData && DAT != DAT_PARENT))
        return Fail(TWCC_BADVALUE);
    if (DAT == DAT_PARENT)
        return Parent(MSG);
    if (!Manager().session)
        return Fail(TWCC_SEQERROR);
    return Dispatch(DAT, MSG, pData);
}
