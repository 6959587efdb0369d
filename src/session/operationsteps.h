#pragma once

#include "platform/textid.h"
#include "session/operationresult.h"

#include <QByteArray>

class RemoteProtocol;
class Session;

// Steps shared by the remote file operation jobs. Worker thread.
namespace operationsteps
{

// A remote name as the log's "%s" takes it.
[[nodiscard]] QByteArray logText(const QByteArray &name, QByteArrayView charset = {});

// The name as a command sends it: bare while the server's folder follows the pane, otherwise the
// full path in `folder`.
[[nodiscard]] QByteArray commandPath(const Session &s, const QByteArray &folder, const QByteArray &name);

// A reply that never came because the server closed the connection ends the session here,
// instead of letting every later command of a long operation fail the same way.
void endIfConnectionLost(Session &s, const OperationResult &result);

// A refusal of the step's own: the message in dark red and the failure sound.
void reportFailure(const Session &s, TextId message);

// A typed name, a destination or a command line that would break the command line it goes into:
// refused in red, with the failure sound. True when refused.
[[nodiscard]] bool refuseControlBytes(const Session &s, const QByteArray &text);

// Lists `folder` from the server again, its cache file dropped first, then selects `select`
// when given: what the pane's Refresh does, within the job, so that no other job can run between
// the change and the listing that shows it.
void refreshFolder(RemoteProtocol &protocol, Session &s, const QByteArray &folder,
                   const QByteArray &select = {});

} // namespace operationsteps
