#include "platform/hyperlink.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopHyperlink::NavigateTo(const QString& target, const QString& location, const QString&)
{
    QUrl url = QUrl::fromUserInput(target);
    if (!location.isEmpty())
        url.setFragment(location);
    // No message is defined when no browser can be started; the dialog stays as it is.
    QDesktopServices::openUrl(url);
}
