#pragma once
// The content checks of the engine data update: whether a downloaded body reads as the file it
// is meant to replace, as the program's own reader of that file will read it. A body that ended
// with the connection's close is only known to be whole by these checks.
#include <QByteArrayView>
#include <QSet>
#include <QString>

#include "platform/CaseInsensitiveKey.h"

namespace UpdateFiles {

// The files in download order.
enum FileIndex { EngineDatabase = 0, EngineCategoryData = 1, TopEngines = 2, CategoryList = 3, RankingEngines = 4 };

// Checks the five bodies of one update in download order. Two files are read against the ones
// before them: the top-engine list names engines of the new engine database, and the category
// list holds every category that the new engine category data maps.
class Checker {
public:
    // Why `body` cannot stand for the file of `fileIndex`, or the empty text when it reads as that
    // file. What a file that passes tells about the later ones is kept.
    QString problem(int fileIndex, QByteArrayView body);

private:
    QString databaseProblem(QByteArrayView body);
    QString categoryDataProblem(QByteArrayView body);
    QString topEnginesProblem(QByteArrayView body) const;
    QString categoryListProblem(QByteArrayView body) const;
    static QString rankingEnginesProblem(QByteArrayView body);

    QSet<CaseInsensitiveKey> m_engineNames;        // of the new engine database
    QSet<CaseInsensitiveKey> m_mappedCategories;   // named by the items of the new engine category data
};

} // namespace UpdateFiles
