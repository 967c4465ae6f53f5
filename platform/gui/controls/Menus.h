// Menus: TMenuItem (a command with a caption, where "&" marks the access
// key and "-" makes a separator), TMainMenu (the bar of a form) and
// TPopupMenu (shown at a screen point by code). Items are components of the
// form that owns them; the menu tree only links them. A command chosen in a
// popup menu runs once the event that popped the menu up is over, so it may
// free the component that was clicked.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "components/Component.h"
#include "controls/Controls.h"

// Delphi's shortcut word: the virtual key code plus these flags.
using TShortCut = uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(uint16_t key, TShiftState shift);
QKeySequence ShortCutToKeySequence(TShortCut shortCut);

class TMenuItem : public TComponent {
public:
    TMenuItem();
    ~TMenuItem() override;
    std::string ClassName() const override { return "TMenuItem"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);
    bool Enabled() const { return action_->isEnabled(); }
    void SetEnabled(bool enabled) { action_->setEnabled(enabled); }
    bool Checked() const { return action_->isChecked(); }
    void SetChecked(bool checked);
    bool Visible() const { return action_->isVisible(); }
    void SetVisible(bool visible) { action_->setVisible(visible); }

    // Sub-items, in menu order; Add links an item (owned elsewhere) here.
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(index); }
    TMenuItem* Parent() const { return parent_; }

    // Fires OnClick; called directly, an exception reaches the caller.
    void Click();
    TNotifyEvent OnClick;

    QAction* Action() const { return action_.get(); }
    // The drop-down of the sub-items.
    QMenu* SubMenu();

private:
    friend class TMainMenu;
    void Triggered();
    QWidget* ChildWidget();

    std::unique_ptr<QAction> action_;
    QWidget* childHost_ = nullptr; // where the sub-items show, if not SubMenu
    bool checked_ = false;
    std::unique_ptr<QMenu> subMenu_;
    std::string caption_;
    TShortCut shortCut_ = 0;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

class TMainMenu : public TComponent {
public:
    TMainMenu();
    ~TMainMenu() override;
    std::string ClassName() const override { return "TMainMenu"; }

    // The bar's items; they become the bar's drop-downs.
    TMenuItem& Items() { return root_; }
    QMenuBar* Bar() const { return bar_; }

private:
    TMenuItem root_;
    QPointer<QMenuBar> bar_;
};

class TPopupMenu : public TComponent {
public:
    std::string ClassName() const override { return "TPopupMenu"; }

    TMenuItem& Items() { return root_; }
    // Pops the menu up with its top left corner at the screen point and
    // returns at once; the chosen command runs later, from the event loop.
    void Popup(int X, int Y);
    TPoint PopupPoint() const { return popupPoint_; }

private:
    TMenuItem root_;
    TPoint popupPoint_;
};
