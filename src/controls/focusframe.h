#pragma once

#include <QWidget>

class QAbstractScrollArea;

// A frame in the palette's highlight colour around a list while it has the keyboard focus. Some
// styles show no focus on a list at all until a row is current, and a selection looks the same
// in a list without focus; the frame tells which list the keys go to.
class FocusFrame : public QWidget
{
public:
    explicit FocusFrame(QAbstractScrollArea *view);

    static constexpr int width = 2;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QAbstractScrollArea *view_;
};
