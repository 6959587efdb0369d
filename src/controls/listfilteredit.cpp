#include "controls/listfilteredit.h"

#include "controls/sortlistctrl.h"
#include "platform/uitext.h"

ListFilterEdit::ListFilterEdit(CSortListCtrl *list, QWidget *parent) : QLineEdit(parent)
{
    setPlaceholderText(UiText::tr("Filter (text or *.txt)"));
    setClearButtonEnabled(true);
    // Typing or pasting stops where the filter stops looking.
    setMaxLength(int(NameFilter::maxLength));
    connect(this, &QLineEdit::textChanged, list, &CSortListCtrl::setNameFilter);
}
