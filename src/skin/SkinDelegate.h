#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

namespace skin {

// A control-event handler. Which operation a control's notifications arrive through depends on
// the control: clicks call Click, sliders, edits, combo boxes and date/time pickers call Value,
// lists call Item with the item and sub-item index.
class Delegate
{
public:
    virtual void Item(int item, int subItem) = 0;
    // Sliders: the position. Edits: the CEditEx pointer. Combo boxes: the QComboBox pointer.
    // Date/time pickers: the QDateTimeEdit pointer.
    virtual void Value(qintptr value) = 0;
    virtual void Click() = 0;
    virtual ~Delegate() = default;
};

// Binds the three operations to member functions of one dialog.
template <class Dlg> class TypeDelegate : public Delegate
{
public:
    using ClickFn = void (Dlg::*)();
    using ValueFn = void (Dlg::*)(qintptr);
    using ItemFn = void (Dlg::*)(int, int);

    TypeDelegate(Dlg *dialog, ClickFn fn)
        : m_dialog(dialog)
        , m_click(fn)
    {
    }
    TypeDelegate(Dlg *dialog, ValueFn fn)
        : m_dialog(dialog)
        , m_value(fn)
    {
    }
    TypeDelegate(Dlg *dialog, ItemFn fn)
        : m_dialog(dialog)
        , m_item(fn)
    {
    }

    void Item(int item, int subItem) override
    {
        if (m_item)
            (m_dialog->*m_item)(item, subItem);
    }
    void Value(qintptr value) override
    {
        if (m_value)
            (m_dialog->*m_value)(value);
    }
    void Click() override
    {
        if (m_click)
            (m_dialog->*m_click)();
    }

private:
    Dlg *m_dialog;
    ClickFn m_click = nullptr;
    ValueFn m_value = nullptr;
    ItemFn m_item = nullptr;
};

template <class Dlg> std::unique_ptr<Delegate> MakeDelegate(Dlg *dialog, void (Dlg::*fn)())
{
    return std::make_unique<TypeDelegate<Dlg>>(dialog, fn);
}
template <class Dlg> std::unique_ptr<Delegate> MakeDelegate(Dlg *dialog, void (Dlg::*fn)(qintptr))
{
    return std::make_unique<TypeDelegate<Dlg>>(dialog, fn);
}
template <class Dlg> std::unique_ptr<Delegate> MakeDelegate(Dlg *dialog, void (Dlg::*fn)(int, int))
{
    return std::make_unique<TypeDelegate<Dlg>>(dialog, fn);
}

// The same with plain functions, for small dialogs and tests.
class FunctionDelegate : public Delegate
{
public:
    std::function<void()> onClick;
    std::function<void(qintptr)> onValue;
    std::function<void(int, int)> onItem;

    void Item(int item, int subItem) override
    {
        if (onItem)
            onItem(item, subItem);
    }
    void Value(qintptr value) override
    {
        if (onValue)
            onValue(value);
    }
    void Click() override
    {
        if (onClick)
            onClick();
    }
};

std::unique_ptr<Delegate> ClickDelegate(std::function<void()> fn);
std::unique_ptr<Delegate> ValueDelegate(std::function<void(qintptr)> fn);
std::unique_ptr<Delegate> ItemDelegate(std::function<void(int, int)> fn);

} // namespace skin
