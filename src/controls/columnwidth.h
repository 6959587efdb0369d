#pragma once

#include <QString>

class QAbstractItemView;

// The width a column of the view needs to show the text whole in the view's font, its cell
// margins included, so a default width follows the font instead of a fixed pixel count.
int columnWidthFor(const QAbstractItemView *view, const QString &text);

// The widest size a list is expected to show whole: a gigabyte with its thousands separators.
QString widestShownSize();
