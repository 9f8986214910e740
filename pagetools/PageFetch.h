#pragma once
// A page tool's own fetch through the shared page fetch.
#include <QLatin1StringView>

namespace PageFetch {

// Ends the fetch under way for the request kind, as the optimizer's Cancel does: its connection
// closed, so that neither its page nor a box about it comes later, and the pointer back to the
// arrow. A fetch of another kind goes on.
void cancel(QLatin1StringView requestKind);

} // namespace PageFetch
