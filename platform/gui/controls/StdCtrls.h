// The standard controls: TLabel, TEdit, TCheckBox and TButton. Events fire
// when code changes a value as when the user does: an edit's OnChange when
// its Text changes, a check box's OnClick when Checked changes. Fired from
// code they run directly (an exception reaches the caller); fired by the
// user they run guarded.
#pragma once

#include <memory>
#include <string>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/Controls.h"
#include "dispatch/ModalResult.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel;

// A label of fixed size with its text centred, made as forms make their
// design-time labels: owned by owner, named, on parent, with its bounds.
TLabel* NewCentredLabel(TComponent& owner, TWinControl* parent, const std::string& name, const std::string& caption,
                        TRect bounds);
// The same, its text wrapped over lines.
TLabel* NewWrappedLabel(TComponent& owner, TWinControl* parent, const std::string& name, const std::string& caption,
                        TRect bounds);

class TLabel : public TGraphicControl {
public:
    TLabel();
    std::string ClassName() const override { return "TLabel"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    bool WordWrap() const { return label_->wordWrap(); }
    void SetWordWrap(bool wrap);
    // Sizes the label to its text while word wrap is off.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // The control that the caption's access key focuses.
    void SetFocusControl(TWinControl* control);

protected:
    void ApplyFont() override;
    void ApplyColor() override {} // drawn over the parent's colour
    bool SizesItself() const override { return autoSize_ && !label_->wordWrap(); }

private:
    void ApplyAlignment();
    void AdjustSize();

    QLabel* label_;
    std::string caption_;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true;
};

class TEdit : public TWinControl {
public:
    TEdit();
    std::string ClassName() const override { return "TEdit"; }

    std::string Text() const;
    // Fires OnChange when the text differs from the current one.
    void SetText(const std::string& text);
    int MaxLength() const { return maxLength_; }
    // 0: no limit.
    void SetMaxLength(int length);
    bool ReadOnly() const { return edit_->isReadOnly(); }
    void SetReadOnly(bool readOnly) { edit_->setReadOnly(readOnly); }
    // Shown for every character instead of the text; 0 shows the text.
    void SetPasswordChar(char passwordChar);

    void Change();
    TNotifyEvent OnChange;

protected:
    void ApplyColor() override;

private:
    QLineEdit* edit_;
    int maxLength_ = 0;
};

class TCheckBox : public TWinControl {
public:
    TCheckBox();
    std::string ClassName() const override { return "TCheckBox"; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool Checked() const { return box_->isChecked(); }
    // Fires OnClick when the state changes.
    void SetChecked(bool checked);

private:
    QCheckBox* box_;
};

class TButton : public TWinControl {
public:
    TButton();
    std::string ClassName() const override { return "TButton"; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Escape on the button's form presses its Cancel button; Return presses
    // the focused button, or else the form's Default button.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel) { cancel_ = cancel; }
    bool Default() const { return default_; }
    void SetDefault(bool isDefault) { default_ = isDefault; }

    // Sets the parent form's ModalResult to the button's, then fires OnClick.
    void Click() override;

protected:
    // Buttons that draw their own face bring their own QPushButton.
    explicit TButton(std::unique_ptr<QPushButton> button);

    QPushButton* button_;

private:
    TModalResult modalResult_ = mrNone;
    bool cancel_ = false;
    bool default_ = false;
};
