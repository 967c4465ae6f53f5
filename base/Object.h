// The common base of everything kept in object lists. A list item names its
// class, because a saved list records each item's class name and a loaded
// list makes the item again from that name.
#pragma once

#include <string>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;

    // The name the class is registered under for streaming.
    virtual std::string ClassName() const = 0;
};
