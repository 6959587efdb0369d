#pragma once

class QAbstractItemView;
class QComboBox;
class QPlainTextEdit;
class QWidget;

// Keys a pane answers wherever its focus is.

// Ctrl+L anywhere in `pane` puts the focus in its path box with the text selected, ready to be
// typed over.
void addPathBoxKey(QWidget *pane, QComboBox *pathBox);

// The Menu key and Shift+F10 in `view` open its context menu, as a right click on the current
// row would (on the view's top left corner without one).
void addContextMenuKeys(QAbstractItemView *view);

// The same in a text view, whose own context menu opens at its text cursor.
void addContextMenuKeys(QPlainTextEdit *view);
