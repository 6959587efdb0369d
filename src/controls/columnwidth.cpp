#include "controls/columnwidth.h"

#include <QAbstractItemView>
#include <QStyle>

int columnWidthFor(const QAbstractItemView *view, const QString &text)
{
    // The item delegate keeps the focus frame's margin plus one pixel on either side of the text;
    // a few pixels more keep the header's sort arrow clear of the digits.
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return view->fontMetrics().horizontalAdvance(text) + 2 * margin + 6;
}

QString widestShownSize() { return QStringLiteral("1,000,000,000"); }
