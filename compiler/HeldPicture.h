// THeldPicture: the stand-in for a picture that opening a project could not
// show: an album entry that stayed locked (its password was not given) or
// that could not be read. It keeps what the project holds of the picture,
// the entry as stored and the caption as stored, so that saving writes them
// back unchanged and nothing is lost; it draws as a placeholder in the grid.
#pragma once

#include <memory>
#include <string>

#include "ZipReader.h"
#include "pictures/Graphics.h"

namespace pictomake {

class THeldPicture : public TGraphic {
public:
    enum class TReason { Locked, Unreadable };

    // entry: the album entry as stored, or nullptr when even its bytes
    // could not be read.
    THeldPicture(TReason reason, std::string storedCaption, std::shared_ptr<const TStoredEntry> entry);

    std::string ClassName() const override { return "THeldPicture"; }
    TReason Reason() const { return reason_; }
    // The caption as the project file holds it (scrambled when protected).
    const std::string& StoredCaption() const { return storedCaption_; }
    const TStoredEntry* StoredEntry() const { return entry_.get(); }

    bool Empty() const override { return false; }
    int Width() const override { return PlaceholderSize; }
    int Height() const override { return PlaceholderSize; }
    // A held picture has no pixels to read or write: these raise
    // EInvalidGraphic, saying why.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    // A padlock for a locked picture, a crossed frame for an unreadable one.
    QImage ToImage() const override;

private:
    static constexpr int PlaceholderSize = 96;

    TReason reason_;
    std::string storedCaption_;
    std::shared_ptr<const TStoredEntry> entry_;
};

// The held picture that graphic is, or nullptr.
const THeldPicture* AsHeldPicture(const TGraphic* graphic);

} // namespace pictomake
