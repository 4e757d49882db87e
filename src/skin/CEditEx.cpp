#include "skin/CEditEx.h"

#include "skin/SkinControlReport.h"

#include <QLineEdit>
#include <QProxyStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace skin {

namespace {

    // Lets the mask character of a password field be the one the skin names.
    class PasswordStyle : public QProxyStyle
    {
    public:
        PasswordStyle(QChar mask)
            : m_mask(mask)
        {
        }
        int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
            QStyleHintReturn *returnData) const override
        {
            if (hint == SH_LineEdit_PasswordCharacter)
                return m_mask.unicode();
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }

    private:
        QChar m_mask;
    };

} // namespace

CEditEx::CEditEx(QWidget *parent, bool border)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
{
    setFocusPolicy(Qt::TabFocus);
    setFocusProxy(m_edit);
    m_edit->setFrame(border);
    m_edit->setGeometry(rect());
    connect(m_edit, &QLineEdit::textChanged, this,
        [this] { PostCommand(this, kCodeEditChange, reinterpret_cast<qintptr>(this)); });
    ApplyColors();
}

CEditEx::~CEditEx() = default;

void CEditEx::SetRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = maximum;
    m_numeric = true;
    if (!m_spin) {
        m_spin = new QWidget(this);
        auto *column = new QVBoxLayout(m_spin);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        for (int direction : { 1, -1 }) {
            auto *arrow = new QToolButton(m_spin);
            arrow->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
            arrow->setAutoRepeat(true);
            arrow->setFocusPolicy(Qt::NoFocus);
            arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            connect(arrow, &QToolButton::clicked, this, [this, direction] { Spin(direction); });
            column->addWidget(arrow);
        }
        m_spin->show();
    }
    Layout();
}

void CEditEx::SetValue(int value)
{
    if (m_numeric && value >= m_min && value <= m_max)
        m_edit->setText(QString::number(value));
}

int CEditEx::Value() const
{
    return m_edit->text().trimmed().toInt();
}

void CEditEx::SetText(const QString &text)
{
    m_edit->setText(text);
}

QString CEditEx::Text() const
{
    return m_edit->text();
}

void CEditEx::SetPasswordChar(QChar mask)
{
    m_passwordChar = mask;
    if (mask.isNull()) {
        m_edit->setEchoMode(QLineEdit::Normal);
        m_edit->setStyle(nullptr);
        return;
    }
    auto *style = new PasswordStyle(mask);
    style->setParent(m_edit);
    m_edit->setStyle(style);
    m_edit->setEchoMode(QLineEdit::Password);
}

void CEditEx::SetLimitText(int maxLength)
{
    m_edit->setMaxLength(maxLength > 0 ? maxLength : 32767);
}

void CEditEx::SetReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
}

void CEditEx::SetBorder(bool border)
{
    m_edit->setFrame(border);
}

void CEditEx::SetTextAlign(Qt::Alignment alignment)
{
    m_edit->setAlignment(alignment | Qt::AlignVCenter);
}

void CEditEx::SetBackColor(SkinColor color)
{
    m_backColor = color;
    ApplyColors();
}

void CEditEx::SetTextColor(SkinColor color)
{
    m_textColor = color;
    ApplyColors();
}

void CEditEx::ApplyColors()
{
    QPalette p = m_edit->palette();
    p.setColor(QPalette::Base, ToQColor(m_backColor));
    p.setColor(QPalette::Window, ToQColor(m_backColor));
    p.setColor(QPalette::Text, ToQColor(m_textColor));
    m_edit->setPalette(p);
}

void CEditEx::Spin(int steps)
{
    const int value = Value() + steps;
    if (value >= m_min && value <= m_max)
        m_edit->setText(QString::number(value));
}

void CEditEx::Layout()
{
    if (m_numeric && m_spin) {
        const int side = height();
        m_spin->setGeometry(width() - side, 0, side, side);
        m_edit->setGeometry(0, 0, std::max(0, width() - side), height());
    } else {
        m_edit->setGeometry(rect());
    }
}

void CEditEx::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Layout();
}

} // namespace skin
