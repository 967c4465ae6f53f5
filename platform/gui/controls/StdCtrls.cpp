#include "controls/StdCtrls.h"

#include <memory>
#include <utility>

#include <QFocusEvent>
#include <QPainter>
#include <QStyle>
#include <QtMath>
#include <QTextLayout>

#include "controls/Forms.h"
#include "dispatch/GuardedDispatch.h"
#include "screen/PasswordEcho.h"

namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// A wrapped text that is taller than its label shows the lines that fit
// whole, not the top of the next one cut through.
class TWholeLinesLabel : public QLabel {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!wordWrap() || !(alignment() & Qt::AlignTop) || buddy()) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        const QRect room = contentsRect();
        painter.setClipRect(room.x(), room.y(), room.width(), WholeLinesHeight(room));
        style()->drawItemText(&painter, room, static_cast<int>(alignment()) | Qt::TextWordWrap, palette(),
                              isEnabled(), text(), foregroundRole());
    }

private:
    // The height of the wrapped lines that end within the room; a room lower
    // than one line still shows what it can of the first.
    int WholeLinesHeight(const QRect& room) const
    {
        QString lines = text();
        lines.replace('\n', QChar::LineSeparator); // as the painter breaks them
        QTextLayout layout(lines, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        qreal bottom = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(room.width());
            line.setPosition(QPointF(0, bottom));
            if (bottom + line.height() > room.height())
                break;
            bottom += line.height();
        }
        layout.endLayout();
        return bottom > 0 ? qCeil(bottom) : room.height();
    }
};

// An edit shows its text from the start, as a Windows edit does, except
// while the keyboard is in it: focused from the keys or by the program, it
// takes what is typed at the end.
class TStartShowingEdit : public QLineEdit {
protected:
    void focusInEvent(QFocusEvent* event) override
    {
        if (event->reason() != Qt::MouseFocusReason)
            setCursorPosition(static_cast<int>(text().size()));
        QLineEdit::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QLineEdit::focusOutEvent(event);
        setCursorPosition(0);
    }
};

} // namespace

TLabel::TLabel()
    : TGraphicControl(std::make_unique<TWholeLinesLabel>(), false), label_(static_cast<QLabel*>(Widget()))
{
    ApplyAlignment();
}

void TLabel::SetCaption(const std::string& caption)
{
    caption_ = caption;
    label_->setText(ToQt(caption));
    AdjustSize();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    ApplyAlignment();
}

void TLabel::SetLayout(TTextLayout layout)
{
    layout_ = layout;
    ApplyAlignment();
}

void TLabel::ApplyAlignment()
{
    Qt::Alignment horizontal = alignment_ == taCenter ? Qt::AlignHCenter
                               : alignment_ == taRightJustify ? Qt::AlignRight
                                                              : Qt::AlignLeft;
    Qt::Alignment vertical = layout_ == tlCenter ? Qt::AlignVCenter : layout_ == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    label_->setAlignment(horizontal | vertical);
}

void TLabel::SetWordWrap(bool wrap)
{
    label_->setWordWrap(wrap);
    AdjustSize();
}

void TLabel::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    AdjustSize();
}

void TLabel::SetFocusControl(TWinControl* control)
{
    label_->setBuddy(control ? control->Widget() : nullptr);
}

void TLabel::ApplyFont()
{
    TGraphicControl::ApplyFont();
    AdjustSize();
}

void TLabel::AdjustSize()
{
    if (!autoSize_ || label_->wordWrap())
        return;
    QSize size = label_->sizeHint();
    SetBounds(Left(), Top(), size.width(), size.height());
}

TEdit::TEdit()
    : TWinControl(std::make_unique<TStartShowingEdit>(), true), edit_(static_cast<QLineEdit*>(Widget()))
{
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21); // a new Windows edit's size at 96 pixels per inch
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this] { DispatchGuarded(this, [this] { Change(); }); });
}

std::string TEdit::Text() const { return edit_->text().toStdString(); }

void TEdit::SetText(const std::string& text)
{
    QString value = ToQt(text);
    if (maxLength_ > 0)
        value.truncate(maxLength_);
    if (value == edit_->text())
        return;
    edit_->setText(value);
    if (!edit_->hasFocus())
        edit_->setCursorPosition(0);
    Change();
}

void TEdit::SetMaxLength(int length)
{
    maxLength_ = length;
    edit_->setMaxLength(length > 0 ? length : 32767);
}

void TEdit::SetPasswordChar(char passwordChar) { SetPasswordEcho(*edit_, passwordChar); }

void TEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TEdit::ApplyColor()
{
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, ColorToQColor(Color()));
    edit_->setPalette(palette);
}

TCheckBox::TCheckBox()
    : TWinControl(std::make_unique<QCheckBox>(), true), box_(static_cast<QCheckBox*>(Widget()))
{
    SetBounds(0, 0, 97, 17); // a new Windows check box's size at 96 pixels per inch
    QObject::connect(box_, &QCheckBox::clicked, box_, [this] { DispatchGuarded(this, [this] { Click(); }); });
}

std::string TCheckBox::Caption() const { return box_->text().toStdString(); }

void TCheckBox::SetCaption(const std::string& caption) { box_->setText(ToQt(caption)); }

void TCheckBox::SetChecked(bool checked)
{
    if (checked == box_->isChecked())
        return;
    box_->setChecked(checked);
    Click();
}

TButton::TButton() : TButton(std::make_unique<QPushButton>()) {}

TButton::TButton(std::unique_ptr<QPushButton> button)
    : TWinControl(std::move(button), true), button_(static_cast<QPushButton*>(Widget()))
{
    // Return presses a focused button, as on Windows; Qt does so only in its
    // own dialogs.
    button_->setAutoDefault(true);
    QObject::connect(button_, &QPushButton::clicked, button_, [this] { DispatchGuarded(this, [this] { Click(); }); });
}

std::string TButton::Caption() const { return button_->text().toStdString(); }

void TButton::SetCaption(const std::string& caption) { button_->setText(ToQt(caption)); }

void TButton::Click()
{
    if (TForm* form = GetParentForm(this))
        form->SetModalResult(modalResult_);
    TWinControl::Click();
}

TLabel* NewCentredLabel(TComponent& owner, TWinControl* parent, const std::string& name, const std::string& caption,
                        TRect bounds)
{
    TLabel* label = NewComponent<TLabel>(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetAutoSize(false);
    label->SetAlignment(taCenter);
    label->SetBoundsRect(bounds);
    label->SetCaption(caption);
    return label;
}

TLabel* NewWrappedLabel(TComponent& owner, TWinControl* parent, const std::string& name, const std::string& caption,
                        TRect bounds)
{
    TLabel* label = NewCentredLabel(owner, parent, name, caption, bounds);
    label->SetWordWrap(true);
    return label;
}
