#pragma once
// The engines page set ("Search Engines"): all engines, the selected engines, the select and
// remove buttons, and the type, country and option filters.
#include <QTabWidget>
#include <QVector>

class EngineListView;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class EnginesPage : public QTabWidget {
    Q_OBJECT
public:
    explicit EnginesPage(QWidget *parent = nullptr);

    EngineListView *lsvEngines = nullptr;
    EngineListView *lsvSelectedEngines = nullptr;
    QVector<QPushButton *> cmdSelectEngine;   // 0 chosen, 1 all
    QVector<QPushButton *> cmdRemoveEngine;   // 0 chosen, 1 all
    QVector<QGroupBox *> fraEngines;          // 0 "Engine Type", 1 "Country", 2 "Options"
    QVector<QCheckBox *> chkType;             // 0..6: ENG, DIR, FFA, NEWS, MALL, HOT, MIS
    QListWidget *lstCountry = nullptr;
    QLabel *lblFindEngines = nullptr;
    QLineEdit *txtFindEngines = nullptr;
    QVector<QRadioButton *> optAdultSite;     // 0 "Adult Only Sites", 1 "No Adult Sites"

    // The type code of each type box, in box order.
    static const QStringList &typeCodes();

protected:
    // A type box whose mnemonic is also a menu's (Alt+F, Alt+H) opens that menu instead.
    bool eventFilter(QObject *watched, QEvent *event) override;
};
