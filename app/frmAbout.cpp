#include "app/frmAbout.h"

#include "app/AppVersion.h"
#include "app/DesktopShell.h"
#include "app/Twips.h"
#include "app/UserPrompts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace tobrel::app {
namespace {

constexpr int kClientWidthTwips = 5730;
constexpr int kClientHeightTwips = 3060;

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& designCaption) {
    auto* label = new QLabel(designCaption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* mainWindow, const QPixmap& trayPicture)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      picIcon(new QLabel(this)),
      lblTitle(makeLabel(this, "lblTitle", QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ"))),
      lblDescription(makeLabel(this, "lblDescription", QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの説明"))),
      lblCopyright(makeLabel(this, "lblCopyright", QStringLiteral("著作権表示"))),
      Line1(new QFrame(this)), lblHomePage(makeLabel(this, "lblHomePage", QString())),
      cmdOK(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    setFixedSize(px(kClientWidthTwips), px(kClientHeightTwips));

    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twipsRect(240, 240, 480, 480));
    picIcon->setAlignment(Qt::AlignCenter);
    lblTitle->setGeometry(twipsRect(1050, 240, 4425, 360));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblDescription->setGeometry(twipsRect(1050, 720, 4425, 480));
    lblCopyright->setGeometry(twipsRect(1050, 1320, 4425, 270));
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(twipsRect(240, 1800, 5250, 30));

    lblHomePage->setGeometry(twipsRect(1050, 1980, 4425, 270));
    QFont linkFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    linkFont.setUnderline(true);
    lblHomePage->setFont(linkFont);
    lblHomePage->setStyleSheet(QStringLiteral("color: blue;"));
    lblHomePage->setCursor(Qt::PointingHandCursor);
    lblHomePage->setWordWrap(false);
    lblHomePage->setFocusPolicy(Qt::StrongFocus); // Enter or Space opens it too
    lblHomePage->setAccessibleDescription(QStringLiteral("ﾎｰﾑﾍﾟｰｼﾞを開きます"));
    lblHomePage->installEventFilter(this);

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4230, 2460, 1260, 375));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    setTabOrder(lblHomePage, cmdOK);

    load(mainWindow, trayPicture);
    cmdOK->setFocus();
}

void frmAbout::load(QWidget* mainWindow, const QPixmap& trayPicture) {
    const QString address = QString::fromUtf8(AppVersion::kHomePage);
    lblHomePage->setToolTip(address);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    lblTitle->setText(AppVersion::title() + QStringLiteral(" Version ") +
                      AppVersion::versionText());
    lblDescription->setText(QString::fromUtf8(AppVersion::kDescription));
    lblCopyright->setText(QString::fromUtf8(AppVersion::kLegalNotice));
    lblHomePage->setText(address);
    picIcon->setPixmap(trayPicture);
    picIcon->setAccessibleName(QStringLiteral("ｱｲｺﾝ"));
    if (mainWindow) {
        setWindowIcon(mainWindow->windowIcon());
        move(mainWindow->pos() + QPoint(px(kOffsetTwips), px(kOffsetTwips)));
    }
}

void frmAbout::lblHomePage_Click() {
    const QString address = lblHomePage->text();
    if (!DesktopShell::current().openAddress(address)) {
        // Said over this window, which closes once the box is answered; the
        // address is in the box for the user to open by hand.
        showErrorMessage(this,
                         QString::fromUtf8(kHomePageFailedMessage) + QLatin1Char('\n') + address);
    }
    close();
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblHomePage) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            lblHomePage_Click();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                lblHomePage_Click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tobrel::app
