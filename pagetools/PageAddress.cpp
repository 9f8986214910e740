#include "pagetools/PageAddress.h"

namespace PageAddress {

bool isLocalPath(const QString &text)
{
    if (text.startsWith(u'/'))
        return true;
    return text.size() >= 3 && text[0].isLetter() && text[1] == u':' && text[2] == u'\\';
}

} // namespace PageAddress
