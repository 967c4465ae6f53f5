#include "controls/Menus.h"

#include <algorithm>

#include <QTimer>

#include "dispatch/GuardedDispatch.h"

TShortCut ShortCut(uint16_t key, TShiftState shift)
{
    TShortCut result = key;
    if (shift & ssShift)
        result |= scShift;
    if (shift & ssCtrl)
        result |= scCtrl;
    if (shift & ssAlt)
        result |= scAlt;
    return result;
}

QKeySequence ShortCutToKeySequence(TShortCut shortCut)
{
    int key = shortCut & 0xFF;
    int qtKey = 0;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        qtKey = key;
    else if (key >= 0x70 && key <= 0x7B) // F1..F12
        qtKey = Qt::Key_F1 + (key - 0x70);
    else if (key == 0x2E)
        qtKey = Qt::Key_Delete;
    else if (key == 0x2D)
        qtKey = Qt::Key_Insert;
    else if (key == 0x0D)
        qtKey = Qt::Key_Return;
    else if (key == 0x1B)
        qtKey = Qt::Key_Escape;
    if (qtKey == 0)
        return QKeySequence();
    int modifiers = 0;
    if (shortCut & scShift)
        modifiers |= Qt::SHIFT;
    if (shortCut & scCtrl)
        modifiers |= Qt::CTRL;
    if (shortCut & scAlt)
        modifiers |= Qt::ALT;
    return QKeySequence(qtKey | modifiers);
}

TMenuItem::TMenuItem() : action_(std::make_unique<QAction>())
{
    // A chosen command runs after the menu's own event, from the loop; the
    // action as context drops it if the item goes first.
    QObject::connect(action_.get(), &QAction::triggered, action_.get(), [this] {
        action_->setChecked(checked_); // Windows menus do not tick by themselves
        QTimer::singleShot(0, action_.get(), [this] { Triggered(); });
    });
}

TMenuItem::~TMenuItem()
{
    if (parent_)
        parent_->Remove(this);
    for (TMenuItem* item : items_)
        item->parent_ = nullptr;
    action_->setMenu(static_cast<QMenu*>(nullptr));
}

void TMenuItem::SetCaption(const std::string& caption)
{
    caption_ = caption;
    // Qt draws a separator's text beside its line; a separator shows none.
    const bool separator = caption == "-";
    action_->setSeparator(separator);
    action_->setText(separator ? QString() : QString::fromStdString(caption));
}

void TMenuItem::SetShortCut(TShortCut shortCut)
{
    shortCut_ = shortCut;
    action_->setShortcut(ShortCutToKeySequence(shortCut));
}

void TMenuItem::SetChecked(bool checked)
{
    checked_ = checked;
    action_->setCheckable(checked || action_->isCheckable());
    action_->setChecked(checked);
}

QMenu* TMenuItem::SubMenu()
{
    if (!subMenu_) {
        subMenu_ = std::make_unique<QMenu>();
        action_->setMenu(subMenu_.get());
    }
    return subMenu_.get();
}

QWidget* TMenuItem::ChildWidget()
{
    return childHost_ ? childHost_ : SubMenu();
}

void TMenuItem::Add(TMenuItem* item)
{
    if (item->parent_)
        item->parent_->Remove(item);
    item->parent_ = this;
    items_.push_back(item);
    ChildWidget()->addAction(item->Action());
}

void TMenuItem::Remove(TMenuItem* item)
{
    std::erase(items_, item);
    item->parent_ = nullptr;
    ChildWidget()->removeAction(item->Action());
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

void TMenuItem::Triggered()
{
    DispatchGuarded(this, [this] { Click(); });
}

TMainMenu::TMainMenu() : bar_(new QMenuBar)
{
    root_.childHost_ = bar_;
}

TMainMenu::~TMainMenu()
{
    // The bar may sit in a form's window; it goes with the menu.
    for (int i = root_.Count() - 1; i >= 0; --i)
        root_.Remove(root_.Items(i));
    delete bar_.data();
}

void TPopupMenu::Popup(int X, int Y)
{
    popupPoint_ = TPoint{X, Y};
    root_.SubMenu()->popup(QPoint(X, Y));
}
