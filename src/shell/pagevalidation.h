#pragma once

#include <QString>

class QLineEdit;

// The checks of the preference pages' boxes. A refused box shows the message, takes the focus
// and keeps the sheet open.
namespace pagevalidation
{

enum class NumberError {
    None,
    NotInteger,  // signed box: not blanks, an optional "-", digits and blanks
    NotPositive, // unsigned box: not blanks, digits and blanks
    OutOfRange,
};

struct NumberCheck {
    NumberError error = NumberError::None;
    int value = 0;
};

// `signedBox` allows a leading minus sign. An empty box is refused.
[[nodiscard]] NumberCheck checkNumber(const QString &text, bool signedBox, int minimum, int maximum);
[[nodiscard]] QString numberMessage(NumberError error, int minimum, int maximum);

// Reads a number box into `value`; on a refusal shows the message over the box and focuses it.
[[nodiscard]] bool readNumberBox(QLineEdit *edit, bool signedBox, int minimum, int maximum, int *value);
// Refuses a text box longer than `limit` characters the same way.
[[nodiscard]] bool readTextBox(QLineEdit *edit, int limit, QString *value);

} // namespace pagevalidation
