#include "pagetools/PageFetch.h"

#include "platform/EventLoop.h"
#include "transport/frmHTTP.h"
#include "transport/modDSSockSocket.h"

namespace PageFetch {

void cancel(QLatin1StringView requestKind)
{
    frmHTTP *fetch = frmHTTP::loadedInstance();
    if (!fetch || fetch->Tag.compare(requestKind, Qt::CaseInsensitive) != 0)
        return;
    modDSSock::SocketDisconnect(fetch->dsSocket2);
    Platform::setBusyPointer(false);
}

} // namespace PageFetch
