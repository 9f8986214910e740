#pragma once
// The small icons shared by the tree, the list views and the toolbars, by image key. The images
// are drawn here (a coloured tile with a short mark) so the program needs no image files.
#include <QIcon>
#include <QString>

namespace ImageList {

QIcon icon(const QString &imageKey);

} // namespace ImageList
