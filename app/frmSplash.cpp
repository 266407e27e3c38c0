#include "app/frmSplash.h"

#include "app/AppVersion.h"
#include "app/Twips.h"

#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

// The resources live in a static library: register them before first use.
static void initTobrelResources() {
    Q_INIT_RESOURCE(tobrel);
}

namespace tobrel::app {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picSplash(new QLabel(this)), lblProductName(new QLabel(QStringLiteral("製品名"), this)) {
    initTobrelResources();
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(AppVersion::title());
    setAccessibleName(AppVersion::title());
    setFocusPolicy(Qt::StrongFocus);
    QPalette border = palette(); // the border takes the picture's darkest blue
    border.setColor(QPalette::Window, QColor(12, 16, 40));
    setPalette(border);
    setAutoFillBackground(true);

    picSplash->setObjectName(QStringLiteral("picSplash"));
    // Read as what it is, by Qt's own reader: guessing the format would load
    // every image plug-in first, which costs more than the picture itself.
    QImageReader reader(QStringLiteral(":/splash.ppm"), "ppm");
    reader.setAutoDetectImageFormat(false);
    const QPixmap picture = QPixmap::fromImage(reader.read());
    picSplash->setPixmap(picture);
    picSplash->setGeometry(0, 0, picture.width(), picture.height());

    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont bold(QStringLiteral("ＭＳ Ｐゴシック"), 12);
    bold.setBold(true);
    lblProductName->setFont(bold);
    // White on the picture; a palette rather than a style sheet, which would
    // bring the style sheet machinery into the start-up.
    QPalette white = lblProductName->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    lblProductName->setPalette(white);
    lblProductName->setAutoFillBackground(false);
    lblProductName->resize(px(kLabelDesignWidthTwips), px(kLabelDesignHeightTwips));

    // Load order: the window takes the picture's size plus the border, then the
    // label goes to the picture's lower right by its size before its caption
    // changes, so the longer caption does not move it.
    const int pictureWidth = twips(picSplash->width());
    const int pictureHeight = twips(picSplash->height());
    setFixedSize(px(pictureWidth + kBorderTwips), px(pictureHeight + kBorderTwips));
    const int labelWidth = twips(lblProductName->width());
    const int labelHeight = twips(lblProductName->height());
    lblProductName->move(px(pictureWidth - labelWidth),
                         px(pictureHeight - (labelHeight + kLabelBottomGapTwips)));
    lblProductName->setText(AppVersion::title() + QLatin1Char(' ') + AppVersion::versionText());
    lblProductName->raise();
}

void frmSplash::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    close();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    // Keys that give a character (Enter and Esc among them) close the splash.
    if (!event->text().isEmpty()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tobrel::app
