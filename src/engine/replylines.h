#pragma once

#include "engine/ftpconnection.h"

#include <QByteArray>
#include <QList>

// Hands every line of the replies read meanwhile to `lines` (a FEAT or MLST reply is read from its
// middle lines), and stops doing so however the read ends.
class ReplyLinesScope
{
public:
    ReplyLinesScope(FtpConnection &connection, QList<QByteArray> &lines) : connection_(connection)
    {
        connection.replyLines = &lines;
    }
    ~ReplyLinesScope() { connection_.replyLines = nullptr; }
    ReplyLinesScope(const ReplyLinesScope &) = delete;
    ReplyLinesScope &operator=(const ReplyLinesScope &) = delete;

private:
    FtpConnection &connection_;
};
