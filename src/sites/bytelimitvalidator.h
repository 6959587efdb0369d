#pragma once

#include <QValidator>

// Refuses a text whose UTF-8 form is longer than a fixed field of the site file can hold, so that
// a box never shows more than is saved. A character counts by its bytes.
class ByteLimitValidator : public QValidator
{
    Q_OBJECT
public:
    ByteLimitValidator(qsizetype maxBytes, QObject *parent);

    State validate(QString &input, int &pos) const override;

private:
    qsizetype maxBytes_;
};
