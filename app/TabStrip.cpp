#include "app/TabStrip.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include <algorithm>

namespace tobrel::app {
namespace {

// The application's style with narrower tab margins. A style sheet would do
// the same but makes every tab bar slower to lay out and paint.
class CompactTabStyle : public QProxyStyle {
public:
    explicit CompactTabStyle(QObject* owner) : QProxyStyle(QApplication::style()->name()) {
        setParent(owner);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) {
            return 12;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TabStrip::TabStrip(const QStringList& captions, QWidget* parent)
    : QWidget(parent), bar_(new QTabBar(this)) {
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(false);
    bar_->setFocusPolicy(Qt::StrongFocus);
    // The five captions must fit the strip's fixed width, as they do on Windows.
    bar_->setStyle(new CompactTabStyle(bar_));
    for (const auto& caption : captions) {
        bar_->addTab(caption);
    }
    connect(bar_, &QTabBar::currentChanged, this, &TabStrip::tabChanged);
}

int TabStrip::currentIndex() const {
    return bar_->currentIndex();
}

void TabStrip::setCurrentIndex(int index) {
    if (index == bar_->currentIndex()) {
        emit tabChanged(index); // a selection of the current tab still counts as a click
    } else {
        bar_->setCurrentIndex(index);
    }
}

int TabStrip::count() const {
    return bar_->count();
}

void TabStrip::resizeEvent(QResizeEvent*) {
    // The bar covers its tabs and no more: the free part of the row to their
    // right is the strip's own, so that its owner sees the clicks there.
    const QSize tabs = bar_->sizeHint();
    bar_->setGeometry(0, 0, std::min(width(), tabs.width()), tabs.height());
}

void TabStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int top = bar_->sizeHint().height() - 1;
    frame.rect = QRect(0, top, width(), height() - top);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = bar_->sizeHint();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

} // namespace tobrel::app
