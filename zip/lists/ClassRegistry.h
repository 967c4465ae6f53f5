// The program-wide class registry: a class name (case ignored, at most its
// first 63 characters) maps to the procedures that make, load and store one
// object of that class. Saved object lists name each item's class; this is
// how a reader turns the name back into an object.
//
// The registry lives from the first registration to program end. The engine
// itself registers no class.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "Object.h"

class TStream;

// The longest class name the stream form holds.
constexpr std::size_t MaxClassNameLength = 63;

using TObjectFactory = std::unique_ptr<TObject> (*)();
using TObjectLoadProc = void (*)(TObject& object, TStream& stream);
using TObjectStoreProc = void (*)(const TObject& object, TStream& stream);

struct tRegisterRec {
    TObjectFactory classRef;     // makes a new, default-constructed instance
    TObjectLoadProc loadProc;    // reads the object's own data
    TObjectStoreProc storeProc;  // writes the object's own data
};

// Enters a class. A name already present keeps its first record and the call
// returns false. All three procedures must be given.
bool RegisterObjectClass(const std::string& className, const tRegisterRec& record);

// The record registered under className, or nullptr.
const tRegisterRec* FindClassRegistration(const std::string& className);

// Makes a new object of the named class and hands back its load procedure.
// Raises EClassNotFound "Class <%s> not registered" for an unknown name.
std::unique_ptr<TObject> CreateRegisteredObject(const std::string& className, TObjectLoadProc& loadProc);

// One object in the stream form: a length byte L (0 to 63), L bytes of class
// name, then the object's own data as its class stores it.
//
// Reading raises EReadError for a length byte above 63 or a short stream,
// EClassNotFound for an unknown class; whatever the load procedure raises
// passes through, and the half-read object is freed.
std::unique_ptr<TObject> ReadObjectFromStream(TStream& stream);

// Raises EClassNotFound "Nil Source Class!" for a nil object and "Source Class
// <%s> not registered" for a class that is not registered.
void WriteObjectToStream(const TObject* object, TStream& stream);
