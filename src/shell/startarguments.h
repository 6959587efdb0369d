#pragma once

#include "engine/loginfields.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the program's command line asks for: to print a text and end (--help, --version, an
// option it does not know), or to start, connecting at once when an address was given.
struct StartArguments {
    std::optional<int> exitCode;       // set: print `output` and end with this code
    QString output;                    // for standard output (exit code 0) or standard error
    std::optional<LoginFields> login;  // the address given, understood
    QString error;                     // the address given, refused: the log's line
};

// `arguments` as the process got them, the program's name first.
[[nodiscard]] StartArguments parseStartArguments(const QStringList &arguments);
