#pragma once
// A tab strip in the classic sense: a row of tabs over a framed area, with the
// panels lying on top of it as siblings. Its size is set by its owner.

#include <QWidget>

class QTabBar;

namespace tobrel::app {

class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(const QStringList& captions, QWidget* parent = nullptr);

    int currentIndex() const;
    void setCurrentIndex(int index);
    int count() const;
    QTabBar* tabBar() const { return bar_; }

signals:
    // Raised for every selection of a tab, by the user or by the program.
    void tabChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* bar_;
};

} // namespace tobrel::app
