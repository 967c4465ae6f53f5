#include "lists/ClassRegistry.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <map>

#include "Exceptions.h"
#include "Format.h"
#include "Stream.h"

namespace {

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        const std::size_t common = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < common; ++i) {
            const auto ca = static_cast<unsigned char>(FoldCase(a[i]));
            const auto cb = static_cast<unsigned char>(FoldCase(b[i]));
            if (ca != cb)
                return ca < cb;
        }
        return a.size() < b.size();
    }
};

using TClassRegistry = std::map<std::string, tRegisterRec, CaseInsensitiveLess>;

TClassRegistry& Registry()
{
    static TClassRegistry registry;
    return registry;
}

std::string CutClassName(const std::string& className) { return className.substr(0, MaxClassNameLength); }

} // namespace

bool RegisterObjectClass(const std::string& className, const tRegisterRec& record)
{
    assert(record.classRef && record.loadProc && record.storeProc);
    return Registry().emplace(CutClassName(className), record).second;
}

const tRegisterRec* FindClassRegistration(const std::string& className)
{
    const auto found = Registry().find(CutClassName(className));
    return found == Registry().end() ? nullptr : &found->second;
}

std::unique_ptr<TObject> CreateRegisteredObject(const std::string& className, TObjectLoadProc& loadProc)
{
    const tRegisterRec* record = FindClassRegistration(className);
    if (!record)
        throw EClassNotFound(Format("Class <%s> not registered", {className}));
    loadProc = record->loadProc;
    return record->classRef();
}

std::unique_ptr<TObject> ReadObjectFromStream(TStream& stream)
{
    std::uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    // A longer name cannot have been written; it marks a damaged stream.
    if (length > MaxClassNameLength)
        throw EReadError(Format("Class name too long (%d)", {IntToStr(length)}));
    std::string className(length, '\0');
    stream.ReadBuffer(className.data(), length);

    TObjectLoadProc loadProc = nullptr;
    std::unique_ptr<TObject> object = CreateRegisteredObject(className, loadProc);
    loadProc(*object, stream);
    return object;
}

void WriteObjectToStream(const TObject* object, TStream& stream)
{
    if (!object)
        throw EClassNotFound("Nil Source Class!");
    const std::string className = CutClassName(object->ClassName());
    const tRegisterRec* record = FindClassRegistration(className);
    if (!record)
        throw EClassNotFound(Format("Source Class <%s> not registered", {className}));
    const auto length = static_cast<std::uint8_t>(className.size());
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(className.data(), length);
    record->storeProc(*object, stream);
}
