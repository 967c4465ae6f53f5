// A TWAIN source manager for tests, with one scripted source behind it.
// Each MSG_OPENDSM reads the script named by PICTORIA_FAKE_TWAIN_SCRIPT
// afresh; every call is appended to the file named by
// PICTORIA_FAKE_TWAIN_LOG as "DAT MSG result", so a test sees exactly
// which calls the application made, and "opened NAME" with the full name
// of the source MSG_OPENDS opened. Sources are known by the identity
// number they are handed out with (their place in the list plus one), as a
// source manager knows them; names longer than the identity's field are
// cut there. Script lines:
//   sources NAME...            the sources the manager lists (first = default)
//   select NAME | cancel       the user's choice in the selection dialog
//   answer DAT MSG RC [CC]     that call answers RC, with condition code CC
//   checkstatus                setting the transfer count answers CHECKSTATUS
//   event XFERREADY | CLOSEDSREQ | OTHER | NONE | FAILURE CC
//                              the next answer to MSG_PROCESSEVENT (none left: NONE)
//   xfer done BITS WIDTH HEIGHT PENDING | cancel PENDING | fail CC
//                              the next native transfer and the images left after it
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "GlobalMemory.h"
#include "IdentityText.h"
#include "TwainTypes.h"

namespace {

struct Answer {
    TW_UINT16 result;
    TW_UINT16 condition;
};

struct Transfer {
    std::string kind; // done, cancel or fail
    int bits = 24;
    int width = 0;
    int height = 0;
    TW_UINT16 pending = 0;
    TW_UINT16 condition = 0;
};

struct Script {
    std::vector<std::string> sources;
    std::string selection;
    std::map<std::string, Answer> answers;
    bool checkStatus = false;
    std::deque<std::string> events;
    std::deque<TW_UINT16> eventConditions;
    std::deque<Transfer> transfers;
};

struct Manager {
    Script script;
    std::size_t listed = 0;
    TW_UINT16 condition = TWCC_SUCCESS;
    TW_UINT16 pending = 0;
};

Manager& State()
{
    static Manager manager;
    return manager;
}

const std::map<TW_UINT16, std::string>& DatNames()
{
    static const std::map<TW_UINT16, std::string> names = {
        {DAT_CAPABILITY, "CAPABILITY"},       {DAT_EVENT, "EVENT"},
        {DAT_IDENTITY, "IDENTITY"},           {DAT_PARENT, "PARENT"},
        {DAT_PENDINGXFERS, "PENDINGXFERS"},   {DAT_STATUS, "STATUS"},
        {DAT_USERINTERFACE, "USERINTERFACE"}, {DAT_IMAGENATIVEXFER, "IMAGENATIVEXFER"}};
    return names;
}

const std::map<TW_UINT16, std::string>& MsgNames()
{
    static const std::map<TW_UINT16, std::string> names = {{MSG_GET, "GET"},
                                                           {MSG_GETDEFAULT, "GETDEFAULT"},
                                                           {MSG_GETFIRST, "GETFIRST"},
                                                           {MSG_GETNEXT, "GETNEXT"},
                                                           {MSG_SET, "SET"},
                                                           {MSG_RESET, "RESET"},
                                                           {MSG_OPENDSM, "OPENDSM"},
                                                           {MSG_CLOSEDSM, "CLOSEDSM"},
                                                           {MSG_OPENDS, "OPENDS"},
                                                           {MSG_CLOSEDS, "CLOSEDS"},
                                                           {MSG_USERSELECT, "USERSELECT"},
                                                           {MSG_DISABLEDS, "DISABLEDS"},
                                                           {MSG_ENABLEDS, "ENABLEDS"},
                                                           {MSG_PROCESSEVENT, "PROCESSEVENT"},
                                                           {MSG_ENDXFER, "ENDXFER"}};
    return names;
}

std::string NameOf(const std::map<TW_UINT16, std::string>& names, TW_UINT16 value)
{
    const auto found = names.find(value);
    return found == names.end() ? std::to_string(value) : found->second;
}

void Log(const std::string& line)
{
    if (const char* file = std::getenv("PICTORIA_FAKE_TWAIN_LOG"))
        std::ofstream(file, std::ios::app) << line << '\n';
}

Transfer ReadTransfer(std::istringstream& words)
{
    Transfer transfer;
    words >> transfer.kind;
    if (transfer.kind == "done")
        words >> transfer.bits >> transfer.width >> transfer.height >> transfer.pending;
    else if (transfer.kind == "cancel")
        words >> transfer.pending;
    else
        words >> transfer.condition;
    return transfer;
}

Script ReadScript()
{
    Script script;
    const char* file = std::getenv("PICTORIA_FAKE_TWAIN_SCRIPT");
    std::ifstream in(file ? file : "");
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "sources") {
            for (std::string name; words >> name;)
                script.sources.push_back(name);
        } else if (key == "select") {
            words >> script.selection;
        } else if (key == "answer") {
            std::string dat, msg;
            Answer answer{TWRC_SUCCESS, TWCC_SUCCESS};
            words >> dat >> msg >> answer.result >> answer.condition;
            script.answers[dat + " " + msg] = answer;
        } else if (key == "checkstatus") {
            script.checkStatus = true;
        } else if (key == "event") {
            std::string event;
            TW_UINT16 condition = 0;
            words >> event >> condition;
            script.events.push_back(event);
            script.eventConditions.push_back(condition);
        } else if (key == "xfer") {
            script.transfers.push_back(ReadTransfer(words));
        }
    }
    return script;
}

void FillIdentity(TW_IDENTITY& identity, std::size_t index)
{
    const std::string& name = State().script.sources.at(index);
    identity = TW_IDENTITY{};
    identity.Id = static_cast<TW_UINT32>(index + 1);
    CopyIdentityText(identity.ProductName, name);
}

// A bottom-up device-independent bitmap: 24-bit colour, or 8-bit with a
// grey palette, its pixels a gradient so every row differs.
HGLOBAL MakeDib(int bits, int width, int height)
{
    const int paletteEntries = bits == 8 ? 256 : 0;
    const int stride = ((width * bits + 31) / 32) * 4;
    const std::size_t size = 40 + paletteEntries * 4 + static_cast<std::size_t>(stride) * height;
    HGLOBAL block = GlobalAlloc(size);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    auto put = [&](std::size_t at, std::uint32_t value, int length) {
        for (int i = 0; i < length; ++i)
            bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put(0, 40, 4);
    put(4, static_cast<std::uint32_t>(width), 4);
    put(8, static_cast<std::uint32_t>(height), 4);
    put(12, 1, 2);
    put(14, static_cast<std::uint32_t>(bits), 2);
    put(32, static_cast<std::uint32_t>(paletteEntries), 4);
    for (int i = 0; i < paletteEntries; ++i)
        put(40 + i * 4, static_cast<std::uint32_t>(i * 0x010101), 4);
    unsigned char* pixels = bytes + 40 + paletteEntries * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * bits / 8; ++x)
            pixels[y * stride + x] = static_cast<unsigned char>(x + 3 * y);
    GlobalUnlock(block);
    return block;
}

TW_UINT16 Fail(TW_UINT16 condition)
{
    State().condition = condition;
    return TWRC_FAILURE;
}

TW_UINT16 Identity(TW_UINT16 msg, TW_IDENTITY& identity)
{
    Manager& manager = State();
    const std::vector<std::string>& sources = manager.script.sources;
    switch (msg) {
    case MSG_GETDEFAULT:
        if (sources.empty())
            return Fail(TWCC_NODS);
        FillIdentity(identity, 0);
        return TWRC_SUCCESS;
    case MSG_USERSELECT: {
        if (manager.script.selection == "cancel")
            return TWRC_CANCEL;
        std::size_t index = 0;
        while (index < sources.size() && sources[index] != manager.script.selection)
            ++index;
        if (sources.empty())
            return Fail(TWCC_NODS);
        FillIdentity(identity, index < sources.size() ? index : 0);
        return TWRC_SUCCESS;
    }
    case MSG_GETFIRST:
    case MSG_GETNEXT:
        manager.listed = msg == MSG_GETFIRST ? 0 : manager.listed + 1;
        if (manager.listed >= sources.size())
            return TWRC_ENDOFLIST;
        FillIdentity(identity, manager.listed);
        return TWRC_SUCCESS;
    case MSG_OPENDS:
        if (identity.Id < 1 || identity.Id > sources.size())
            return Fail(TWCC_NODS);
        FillIdentity(identity, identity.Id - 1);
        Log("opened " + sources[identity.Id - 1]);
        return TWRC_SUCCESS;
    default: return TWRC_SUCCESS;
    }
}

TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY& capability)
{
    if (msg == MSG_SET) {
        const auto* value = static_cast<const TW_ONEVALUE*>(GlobalLock(static_cast<HGLOBAL>(capability.hContainer)));
        const bool allImages = value && value->ItemType == TWTY_INT16 && static_cast<TW_INT16>(value->Item) == -1;
        GlobalUnlock(static_cast<HGLOBAL>(capability.hContainer));
        if (!allImages)
            return Fail(TWCC_BADVALUE);
        return State().script.checkStatus ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
    }
    capability.ConType = TWON_ONEVALUE;
    capability.hContainer = GlobalAlloc(sizeof(TW_ONEVALUE));
    return TWRC_SUCCESS;
}

TW_UINT16 ProcessEvent(TW_EVENT& event)
{
    Manager& manager = State();
    if (manager.script.events.empty())
        return TWRC_NOTDSEVENT;
    const std::string next = manager.script.events.front();
    const TW_UINT16 condition = manager.script.eventConditions.front();
    manager.script.events.pop_front();
    manager.script.eventConditions.pop_front();
    if (next == "NONE")
        return TWRC_NOTDSEVENT;
    if (next == "FAILURE")
        return Fail(condition);
    event.TWMessage = next == "XFERREADY" ? MSG_XFERREADY : next == "CLOSEDSREQ" ? MSG_CLOSEDSREQ : 0;
    return TWRC_DSEVENT;
}

TW_UINT16 NativeTransfer(TW_HANDLE& image)
{
    Manager& manager = State();
    if (manager.script.transfers.empty())
        return Fail(TWCC_SEQERROR);
    const Transfer transfer = manager.script.transfers.front();
    manager.script.transfers.pop_front();
    manager.pending = transfer.pending;
    if (transfer.kind == "fail")
        return Fail(transfer.condition);
    if (transfer.kind == "cancel") {
        image = GlobalAlloc(16); // a partial image the application must free
        return TWRC_CANCEL;
    }
    image = MakeDib(transfer.bits, transfer.width, transfer.height);
    return TWRC_XFERDONE;
}

TW_UINT16 Dispatch(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    Manager& manager = State();
    const auto answer = manager.script.answers.find(NameOf(DatNames(), dat) + " " + NameOf(MsgNames(), msg));
    if (answer != manager.script.answers.end()) {
        manager.condition = answer->second.condition;
        return answer->second.result;
    }
    switch (dat) {
    case DAT_IDENTITY: return Identity(msg, *static_cast<TW_IDENTITY*>(data));
    case DAT_CAPABILITY: return Capability(msg, *static_cast<TW_CAPABILITY*>(data));
    case DAT_EVENT: return ProcessEvent(*static_cast<TW_EVENT*>(data));
    case DAT_IMAGENATIVEXFER: return NativeTransfer(*static_cast<TW_HANDLE*>(data));
    case DAT_PENDINGXFERS:
        if (msg == MSG_RESET)
            manager.pending = 0;
        static_cast<TW_PENDINGXFERS*>(data)->Count = manager.pending;
        return TWRC_SUCCESS;
    case DAT_STATUS: static_cast<TW_STATUS*>(data)->ConditionCode = manager.condition; return TWRC_SUCCESS;
    default: return TWRC_SUCCESS;
    }
}

void LogIdentity(const TW_IDENTITY& origin)
{
    std::ostringstream line;
    line << "identity " << origin.Version.Info << '|' << origin.Manufacturer << '|' << origin.ProductFamily << '|'
         << origin.ProductName << " protocol " << origin.ProtocolMajor << '.' << origin.ProtocolMinor << " groups "
         << origin.SupportedGroups;
    Log(line.str());
}

} // namespace

extern "C" TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY*, TW_UINT32, TW_UINT16 DAT, TW_UINT16 MSG,
                               TW_MEMREF pData)
{
    if (DAT == DAT_PARENT && MSG == MSG_OPENDSM) {
        State() = Manager{ReadScript()};
        LogIdentity(*pOrigin);
    }
    const TW_UINT16 result = Dispatch(DAT, MSG, pData);
    Log(NameOf(DatNames(), DAT) + " " + NameOf(MsgNames(), MSG) + " " + std::to_string(result));
    return result;
}
