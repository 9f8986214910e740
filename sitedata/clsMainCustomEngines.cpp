// The custom-category engines (category mode "C"): their list in the main window's combo box and
// the category path and space id chosen for the current site.
#include "sitedata/clsMain.h"

#include <QComboBox>

#include "mainwindow/frmMain.h"

void clsMain::saveCustomCategory(const QString &sCategory)
{
    if (m_intCustomEngineIndex >= 0 && m_intCustomEngineIndex < m_intNumOfCustEngines
        && m_intCustomEngineIndex < myCustomEngine.size())
        myCustomEngine[m_intCustomEngineIndex].Category = sCategory;
}

void clsMain::rebuildCustomEngines(const QStringList &engineNames)
{
    // The first earlier entry of each name (ignoring case) keeps its choice.
    const QVector<CustomEngineEntry> &previous = myCustomEngine;
    QHash<QString, const CustomEngineEntry *> earlier;
    for (int i = 0; i < m_intNumOfCustEngines && i < previous.size(); ++i) {
        const QString key = previous[i].EngineName.toCaseFolded();
        if (!earlier.contains(key))
            earlier.insert(key, &previous[i]);
    }
    QVector<CustomEngineEntry> rebuilt;
    rebuilt.reserve(engineNames.size() + 1);
    for (const QString &name : engineNames) {
        CustomEngineEntry entry{name, QString(), QString()};
        if (const CustomEngineEntry *kept = earlier.value(name.toCaseFolded(), nullptr)) {
            entry.Category = kept->Category;
            entry.SpaceID = kept->SpaceID;
        }
        rebuilt.append(entry);
    }
    m_intNumOfCustEngines = static_cast<int>(rebuilt.size());
    rebuilt.append(CustomEngineEntry());   // the list always ends in one empty entry
    myCustomEngine = rebuilt;

    QComboBox *combo = m_frmMain->cboCustomEngines;
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(engineNames);
    combo->setCurrentIndex(-1);
}

void clsMain::clearCustomEngineChoices()
{
    for (CustomEngineEntry &entry : myCustomEngine) {
        entry.Category.clear();
        entry.SpaceID.clear();
    }
}
