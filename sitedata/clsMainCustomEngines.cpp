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
    QVector<CustomEngineEntry> rebuilt;
    rebuilt.reserve(engineNames.size() + 1);
    for (const QString &name : engineNames) {
        CustomEngineEntry entry{name, QString(), QString()};
        for (int i = 0; i < m_intNumOfCustEngines && i < myCustomEngine.size(); ++i) {
            if (myCustomEngine[i].EngineName.compare(name, Qt::CaseInsensitive) == 0) {
                entry.Category = myCustomEngine[i].Category;
                entry.SpaceID = myCustomEngine[i].SpaceID;
                break;
            }
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
