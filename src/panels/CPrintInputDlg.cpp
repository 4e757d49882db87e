#include "panels/CPrintInputDlg.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

CPrintInputDlg::CPrintInputDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("출력 정보"));
    auto *layout = new QVBoxLayout(this);
    const QStringList prefixes = Prefixes();
    for (int i = 0; i < 3; ++i) {
        auto *field = new QLineEdit(prefixes[i], this);
        field->setObjectName(QStringLiteral("header_line_%1").arg(i + 1));
        field->setMinimumWidth(320);
        layout->addWidget(field);
        field->installEventFilter(this);
        m_fields[size_t(i)] = field;
    }
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("확인"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("취소"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_fields[0]->setFocus();
}

// A field that takes the focus keeps its prefix: the cursor goes behind the text instead of
// selecting it, so typing adds to the line.
bool CPrintInputDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *field = qobject_cast<QLineEdit *>(watched)) {
            QTimer::singleShot(0, field, [field] {
                field->deselect();
                field->end(false);
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

QStringList CPrintInputDlg::Prefixes()
{
    return { tr("1. 차량번호 : "), tr("2. 차량종류 : "), tr("3. 사고 발생날짜 : ") };
}

QStringList CPrintInputDlg::Lines() const
{
    QStringList lines;
    for (const QLineEdit *field : m_fields)
        lines << field->text();
    return lines;
}
