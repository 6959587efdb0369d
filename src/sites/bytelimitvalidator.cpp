#include "sites/bytelimitvalidator.h"

ByteLimitValidator::ByteLimitValidator(qsizetype maxBytes, QObject *parent)
    : QValidator(parent), maxBytes_(maxBytes)
{
}

QValidator::State ByteLimitValidator::validate(QString &input, int &) const
{
    // Cheap for the usual short text: every UTF-16 unit is at most three bytes.
    if (input.size() * 3 <= maxBytes_)
        return Acceptable;
    return input.toUtf8().size() <= maxBytes_ ? Acceptable : Invalid;
}
