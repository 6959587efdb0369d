#include "shell/pagevalidation.h"

#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>

namespace pagevalidation
{
namespace
{

// More digits than this cannot be inside any range of the pages; they also cannot overflow.
constexpr qsizetype longestNumber = 12;

void refuse(QLineEdit *edit, const QString &message)
{
    QMessageBox::warning(edit->window(), loadText(TextId::ProgramName), message);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

} // namespace

NumberCheck checkNumber(const QString &text, bool signedBox, int minimum, int maximum)
{
    static const QRegularExpression unsignedForm(QStringLiteral("^[ \\t]*([0-9]+)[ \\t]*$"));
    static const QRegularExpression signedForm(QStringLiteral("^[ \\t]*(-?[0-9]+)[ \\t]*$"));
    const QRegularExpressionMatch match = (signedBox ? signedForm : unsignedForm).match(text);
    if (!match.hasMatch())
        return {signedBox ? NumberError::NotInteger : NumberError::NotPositive, 0};
    const QString digits = match.captured(1);
    if (digits.size() > longestNumber)
        return {NumberError::OutOfRange, 0};
    const qint64 number = digits.toLongLong();
    if (number < minimum || number > maximum)
        return {NumberError::OutOfRange, 0};
    return {NumberError::None, int(number)};
}

QString numberMessage(NumberError error, int minimum, int maximum)
{
    switch (error) {
    case NumberError::None:
        return {};
    case NumberError::NotInteger:
        return UiText::tr("Please enter an integer.");
    case NumberError::NotPositive:
        return UiText::tr("Please enter a positive integer.");
    case NumberError::OutOfRange:
        break;
    }
    return UiText::tr("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
}

bool readNumberBox(QLineEdit *edit, bool signedBox, int minimum, int maximum, int *value)
{
    const NumberCheck check = checkNumber(edit->text(), signedBox, minimum, maximum);
    if (check.error != NumberError::None) {
        refuse(edit, numberMessage(check.error, minimum, maximum));
        return false;
    }
    *value = check.value;
    return true;
}

bool readTextBox(QLineEdit *edit, int limit, QString *value)
{
    if (edit->text().size() > limit) {
        refuse(edit, UiText::tr("Please enter no more than %1 characters.").arg(limit));
        return false;
    }
    *value = edit->text();
    return true;
}

} // namespace pagevalidation
