// The graphics objects a metafile creates and selects by index: pens,
// brushes and fonts. Kinds the player does not draw with (palettes, regions,
// pattern brushes) still occupy their index, as plain placeholders.
#pragma once

#include <cstddef>
#include <optional>
#include <variant>
#include <vector>

#include <QBrush>
#include <QPen>
#include <QString>

struct MetafileFont {
    int height = 0;      // logical units; negative for the em height, 0 for a default size
    int escapement = 0;  // tenths of a degree, anticlockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

struct OtherObject {};

using MetafileObject = std::variant<QPen, QBrush, MetafileFont, OtherObject>;

// A colour as GDI stores it: 0x00BBGGRR.
QColor ColorRef(std::uint32_t value);
// A pen from a GDI pen style (PS_SOLID ... PS_NULL), width and colour.
QPen MakePen(std::uint32_t style, double width, QColor color);
// A brush from a GDI brush style (BS_SOLID, BS_NULL, BS_HATCHED), colour and hatch.
QBrush MakeBrush(std::uint32_t style, QColor color, std::uint32_t hatch);
// The stock objects (WHITE_BRUSH ... NULL_PEN, the fonts); nothing for others.
std::optional<MetafileObject> StockObject(std::uint32_t index);

class MetafileObjects {
public:
    // EMF names the index itself; a plain metafile takes the lowest free one.
    void Put(std::size_t index, MetafileObject object);
    void PutInFreeSlot(MetafileObject object);
    const MetafileObject* Get(std::size_t index) const;
    void Delete(std::size_t index);

private:
    std::vector<std::optional<MetafileObject>> objects_;
};
