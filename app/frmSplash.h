#pragma once
// frmSplash: the picture with the product name and version that shows while
// the main window loads. A click or a character key closes it early.

#include <QWidget>

class QLabel;

namespace tobrel::app {

class frmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorderTwips = 90;
    static constexpr int kLabelDesignWidthTwips = 1860;
    static constexpr int kLabelDesignHeightTwips = 240;
    static constexpr int kLabelBottomGapTwips = 120;

    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* splashPicture() const { return picSplash; }
    QLabel* productName() const { return lblProductName; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* picSplash;
    QLabel* lblProductName;
};

} // namespace tobrel::app
