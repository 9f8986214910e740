#include "platform/CommitMark.h"

#include "platform/WriteSteps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Platform::CommitMark {
namespace {

// The ids of the marks standing in the folder, with their paths.
template <typename OnMark>
void forEachMark(const QString &folder, const OnMark &onMark)
{
    for (const QFileInfo &info : QDir(folder).entryInfoList({QLatin1Char('*') + kCommitSuffix},
                                                            QDir::Files | QDir::Hidden | QDir::System)) {
        const QString id = info.fileName().chopped(kCommitSuffix.size());
        if (!info.isSymLink() && isSetId(id))
            onMark(id, info.absoluteFilePath());
    }
}

} // namespace

QString newSetId()
{
    return randomLettersAndDigits(kSetIdLength);
}

bool isSetId(QStringView id)
{
    return !id.isEmpty() && std::all_of(id.begin(), id.end(), isLetterOrDigit);
}

QString path(const QString &folder, const QString &setId)
{
    return folder + setId + kCommitSuffix;
}

QSet<QString> committedSets(const QStringList &folders)
{
    QSet<QString> sets;
    for (const QString &folder : folders)
        forEachMark(folder, [&sets](const QString &id, const QString &) { sets.insert(id); });
    return sets;
}

void removeUnheld(const QStringList &folders, const QSet<QString> &heldSets)
{
    for (const QString &folder : folders) {
        forEachMark(folder, [&heldSets](const QString &id, const QString &markPath) {
            if (!heldSets.contains(id))
                QFile::remove(markPath);
        });
    }
}

} // namespace Platform::CommitMark
