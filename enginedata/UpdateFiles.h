#pragma once
// The content checks of the engine data update: whether a downloaded body reads as the file it
// is meant to replace.
#include <QByteArrayView>
#include <QString>

namespace UpdateFiles {

// Why a downloaded body cannot stand for the engine data file of `fileIndex` (0 the engine
// database, 1 the engine category data, 2 the top-engine list, 3 the category list, 4 the
// ranking engine file), or the empty text when it reads as that file.
QString problem(int fileIndex, QByteArrayView body);

} // namespace UpdateFiles
