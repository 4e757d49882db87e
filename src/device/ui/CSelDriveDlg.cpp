#include "device/ui/CSelDriveDlg.h"

#include "skin/fonts/FontFamilies.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace device {
namespace {

    // The dialog is laid out in dialog units of its font: 197 x 46.
    constexpr int kWidthUnits = 197;
    constexpr int kHeightUnits = 46;

    QSize DialogUnitsToPixels(const QFont &font, int x, int y)
    {
        const QFontMetrics metrics(font);
        // A dialog unit is a quarter of the average Latin letter's width and an eighth of the line height.
        const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        const double baseX = metrics.horizontalAdvance(letters) / 52.0;
        const double baseY = metrics.height();
        return QSize(qRound(x * baseX / 4.0), qRound(y * baseY / 8.0));
    }

} // namespace

CSelDriveDlg::CSelDriveDlg(const QStringList &roots, QWidget *parent)
    : QDialog(parent)
{
    QFont font;
    font.setFamilies({ QStringLiteral("Arial Narrow"), skin::fonts::kKorean, QStringLiteral("Sans") });
    font.setPointSize(10);
    setFont(font);
    setWindowTitle(tr("SD 카드 드라이브 선택"));

    auto *prompt = new QLabel(tr("SD 카드를 선택해주세요."), this);
    m_driveList = new QComboBox(this);
    m_driveList->setObjectName(QString::number(kDriveListId));
    // Roots arrive sorted; the list keeps the given order so that its index is the caller's index.
    m_driveList->addItems(roots);
    m_driveList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_driveList->setMinimumContentsLength(8);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    layout->addWidget(prompt, 0, 0);
    layout->addWidget(m_driveList, 1, 0);
    layout->addWidget(ok, 0, 1);
    layout->addWidget(cancel, 1, 1);
    layout->setColumnStretch(0, 1);

    if (!roots.isEmpty()) {
        m_driveList->setCurrentIndex(0);
        m_chosenIndex = 0;
    }
    connect(m_driveList, &QComboBox::currentIndexChanged, this, [this](int index) { m_chosenIndex = index; });

    const QSize size = DialogUnitsToPixels(font, kWidthUnits, kHeightUnits);
    resize(size.expandedTo(minimumSizeHint()));
}

} // namespace device
