#include "shell/weblinks.h"

#include "platform/log.h"
#include "shell/programidentity.h"

#include <QDesktopServices>

namespace
{

// Enough of a refused address to recognise it, not a whole hostile line in the log.
constexpr int shownAddressLimit = 200;

} // namespace

bool isWebAddress(const QUrl &address)
{
    const QString scheme = address.scheme();
    return address.isValid() && !address.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool openDownloadAddress(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!isWebAddress(url)) {
        AppendLog(LogColor::Error, TextId::DownloadAddressNotWeb,
                  address.left(shownAddressLimit).toUtf8().constData());
        return false;
    }
    // What the browser does with the address is its own business; a failure to start one has
    // no message of ours.
    (void)QDesktopServices::openUrl(url);
    return true;
}

void openHomepage()
{
    (void)QDesktopServices::openUrl(QUrl(QString(programidentity::homepageAddress)));
}
