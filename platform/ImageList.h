#pragma once
// The small icons shared by the tree, the list views and the toolbars, by image key (letter case
// ignored). Where the desktop's icon theme has a picture for a key, the icon comes from the theme;
// otherwise, and for keys without a theme name, it is a tile drawn here (a coloured square with a
// short mark), so the program needs no image files.
//
// Keys with a look of their own:
//   main window   RootProject, ProjectFolder, ProjectFolderOpen, WebFile, HTMLFile; the engine
//                 types ENG, DIR, FFA, NEWS, HOT, MIS; the toolbar's NewProject, NewWeb, Save,
//                 Engine, Submit, GetMetaTag, Optimizer, Ranking, WebSearch, Channel
//   folder lists  Folder, Up, WinFile, WebFile
//   tool windows  Tick, TickOff, Save, Clear, Delete, Merge, Exit, and RankingEngine for a
//                 ranking engine without a picture of its own
// Any other key gets a grey tile with its first letter.
#include <QIcon>
#include <QString>

namespace ImageList {

QIcon icon(const QString &imageKey);

} // namespace ImageList
