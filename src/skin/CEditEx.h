#pragma once

#include "skin/SkinTypes.h"

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace skin {

// An edit box in the skin's colours, optionally numeric with a pair of spin arrows. Text
// changes reach the dialog as a queued change command whose second parameter is this object.
class CEditEx : public QWidget
{
    Q_OBJECT
public:
    explicit CEditEx(QWidget *parent = nullptr, bool border = false);
    ~CEditEx() override;

    void SetRange(int minimum, int maximum);
    bool IsNumeric() const { return m_numeric; }
    int Minimum() const { return m_min; }
    int Maximum() const { return m_max; }
    // Shows the number when the field is numeric and the value lies within the range.
    void SetValue(int value);
    // The integer of the text (0 when it is not a number).
    int Value() const;
    void SetText(const QString &text);
    QString Text() const;
    void SetPasswordChar(QChar mask);
    QChar PasswordChar() const { return m_passwordChar; }
    void SetLimitText(int maxLength);
    void SetReadOnly(bool readOnly);
    void SetBorder(bool border);
    void SetTextAlign(Qt::Alignment alignment);
    void SetBackColor(SkinColor color);
    void SetTextColor(SkinColor color);
    SkinColor BackColor() const { return m_backColor; }
    SkinColor TextColor() const { return m_textColor; }

    // A spin by `steps` (up is positive): the value moves when the result stays in range.
    void Spin(int steps);

    QLineEdit *Edit() const { return m_edit; }
    QWidget *SpinButton() const { return m_spin; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void ApplyColors();
    void Layout();

    QLineEdit *m_edit;
    QWidget *m_spin = nullptr;
    bool m_numeric = false;
    int m_min = 0;
    int m_max = 0;
    SkinColor m_backColor = 0xFFFFFF;
    SkinColor m_textColor = 0;
    QChar m_passwordChar;
};

} // namespace skin
