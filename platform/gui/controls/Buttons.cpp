#include "controls/Buttons.h"

#include <memory>

#include <QIcon>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "controls/Forms.h"

// A push button that draws its glyph and caption where the layout puts
// them; Qt's own button knows only a glyph left of the caption.
class TGlyphButton : public QPushButton {
public:
    QImage Glyph;
    TButtonLayout Layout = blGlyphLeft;
    int Spacing = DefaultGlyphSpacing;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        painter.drawControl(QStyle::CE_PushButtonBevel, option);
        DrawFace(painter, option);
        if (option.state & QStyle::State_HasFocus)
            DrawFocus(painter, option);
    }

private:
    void DrawFace(QStylePainter& painter, const QStyleOptionButton& option)
    {
        QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        if (isDown())
            area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
        const QSize captionSize = text().isEmpty() ? QSize() : fontMetrics().size(Qt::TextShowMnemonic, text());
        const TGlyphPlacement placement = PlaceGlyph(area, Glyph.size(), captionSize, Layout, Spacing);
        if (!Glyph.isNull()) {
            const QPixmap pixmap = QIcon(QPixmap::fromImage(Glyph))
                                       .pixmap(Glyph.size(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
            painter.drawPixmap(placement.Glyph.topLeft(), pixmap);
        }
        painter.drawItemText(placement.Caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(),
                             text(), QPalette::ButtonText);
    }

    void DrawFocus(QStylePainter& painter, const QStyleOptionButton& option)
    {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
};

TBitBtn::TBitBtn() : TButton(std::make_unique<TGlyphButton>()), face_(static_cast<TGlyphButton*>(button_)) {}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    struct Preset {
        const char* caption;
        TModalResult result;
    };
    static const Preset presets[] = {
        {nullptr, mrNone}, {"OK", mrOk}, {"Cancel", mrCancel}, {"&Yes", mrYes}, {"&No", mrNo}, {"&Close", mrNone},
    };
    kind_ = kind;
    const Preset& preset = presets[kind];
    if (preset.caption) {
        SetCaption(preset.caption);
        SetModalResult(preset.result);
    }
    SetDefault(kind == bkOK || kind == bkYes);
    SetCancel(kind == bkCancel || kind == bkNo);
}

void TBitBtn::SetGlyph(const TBitmap& glyph)
{
    glyph_.Assign(glyph);
    face_->Glyph = TransparentGlyph(glyph_.Image());
    face_->update();
}

TButtonLayout TBitBtn::Layout() const { return face_->Layout; }

void TBitBtn::SetLayout(TButtonLayout layout)
{
    face_->Layout = layout;
    face_->update();
}

int TBitBtn::Spacing() const { return face_->Spacing; }

void TBitBtn::SetSpacing(int spacing)
{
    face_->Spacing = spacing;
    face_->update();
}

void TBitBtn::Click()
{
    if (kind_ == bkClose) {
        if (TForm* form = GetParentForm(this))
            form->Close();
    }
    TButton::Click();
}

TBitBtn* NewBitBtn(TComponent& owner, TWinControl* parent, const std::string& name, const std::string& caption,
                   TRect bounds)
{
    TBitBtn* button = NewComponent<TBitBtn>(owner);
    button->SetName(name);
    button->SetParent(parent);
    button->SetCaption(caption);
    button->SetBoundsRect(bounds);
    return button;
}
