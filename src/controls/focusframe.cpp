#include "controls/focusframe.h"

#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QPainter>

FocusFrame::FocusFrame(QAbstractScrollArea *view) : QWidget(view), view_(view)
{
    setObjectName(QStringLiteral("focusFrame"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(view->rect());
    setVisible(view->hasFocus());
    view->installEventFilter(this);
}

bool FocusFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != view_)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        setGeometry(view_->rect());
        raise();
        show();
        break;
    case QEvent::FocusOut:
        // A context menu of the list borrows the focus; the keys still belong to the list.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            hide();
        break;
    case QEvent::Resize:
        setGeometry(view_->rect());
        break;
    default:
        break;
    }
    return false;
}

void FocusFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor colour = palette().color(QPalette::Active, QPalette::Highlight);
    const QRect all = rect();
    painter.fillRect(QRect(all.left(), all.top(), all.width(), width), colour);
    painter.fillRect(QRect(all.left(), all.bottom() - width + 1, all.width(), width), colour);
    painter.fillRect(QRect(all.left(), all.top(), width, all.height()), colour);
    painter.fillRect(QRect(all.right() - width + 1, all.top(), width, all.height()), colour);
}
