// Measures the captions of a window's fixed-size controls against the
// controls, with the fonts and the style they are drawn in: a label of
// fixed size (wrapped or not), a check box's caption beside its box, a
// button's caption within its face together with its glyph.
#pragma once

#include <string>
#include <vector>

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "controls/Buttons.h"
#include "controls/StdCtrls.h"

namespace caption_fit {

inline std::string Describe(const TControl& control, QSize needed)
{
    return control.Name() + ": needs " + std::to_string(needed.width()) + " x " + std::to_string(needed.height()) +
           ", has " + std::to_string(control.Width()) + " x " + std::to_string(control.Height());
}

// The room a fixed-size label's caption takes at the label's width.
inline QSize LabelNeeds(const TLabel& label)
{
    const auto* shown = static_cast<const QLabel*>(label.Widget());
    const int flags = Qt::TextShowMnemonic | (label.WordWrap() ? Qt::TextWordWrap : 0);
    return QFontMetrics(shown->font()).boundingRect(QRect(0, 0, label.Width(), 100000), flags, shown->text()).size();
}

// The box, the gap and the caption across; the caption's line down (the
// style's hint adds a margin for its focus frame).
inline QSize CheckBoxNeeds(const TCheckBox& box)
{
    const QWidget* shown = box.Widget();
    return {shown->sizeHint().width(), shown->fontMetrics().height()};
}

// The button's caption against the area its style draws it in; a glyph
// beside it takes its width and the spacing. A button without a caption
// shows only its glyph and has nothing to measure.
inline bool ButtonFits(const TButton& button, QSize& needed)
{
    const auto* face = static_cast<const QPushButton*>(button.Widget());
    if (face->text().isEmpty())
        return true;
    QStyleOptionButton option;
    option.initFrom(face);
    option.rect = face->rect();
    const QRect area = face->style()->subElementRect(QStyle::SE_PushButtonContents, &option, face);
    needed = face->fontMetrics().size(Qt::TextShowMnemonic, face->text());
    if (const auto* bitBtn = dynamic_cast<const TBitBtn*>(&button); bitBtn && !bitBtn->Glyph().Empty())
        needed.rwidth() += bitBtn->Spacing() + bitBtn->Glyph().Width();
    return needed.width() <= area.width() && needed.height() <= area.height();
}

} // namespace caption_fit

// Every fixed-size label, check box and button that owner owns whose
// caption does not fit, described as "name: needs w x h, has w x h".
inline std::vector<std::string> CaptionsThatDoNotFit(const TComponent& owner)
{
    using namespace caption_fit;
    std::vector<std::string> cut;
    for (int i = 0; i < owner.ComponentCount(); ++i) {
        const TComponent* component = owner.Components(i);
        if (const auto* label = dynamic_cast<const TLabel*>(component); label && !label->AutoSize()) {
            const QSize needed = LabelNeeds(*label);
            if (needed.width() > label->Width() || needed.height() > label->Height())
                cut.push_back(Describe(*label, needed));
        } else if (const auto* box = dynamic_cast<const TCheckBox*>(component)) {
            const QSize needed = CheckBoxNeeds(*box);
            if (needed.width() > box->Width() || needed.height() > box->Height())
                cut.push_back(Describe(*box, needed));
        } else if (const auto* button = dynamic_cast<const TButton*>(component)) {
            QSize needed;
            if (!ButtonFits(*button, needed))
                cut.push_back(Describe(*button, needed));
        }
    }
    return cut;
}
