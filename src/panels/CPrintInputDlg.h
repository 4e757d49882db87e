#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QLineEdit;

// Asks for the accident-report header of a captured picture: vehicle number, vehicle type and
// accident date. Each field starts with its numbered prefix; the user types behind it and the
// whole line, prefix included, is used.
class CPrintInputDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CPrintInputDlg(QWidget *parent = nullptr);

    // The three lines as they stand.
    QStringList Lines() const;
    QLineEdit *Field(int index) const { return m_fields[size_t(index)]; }

    static QStringList Prefixes();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::array<QLineEdit *, 3> m_fields {};
};
