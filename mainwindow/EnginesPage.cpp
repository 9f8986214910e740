#include "mainwindow/EnginesPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QVBoxLayout>

#include "platform/ColumnFractions.h"
#include "sitedata/EngineListView.h"

namespace {

EngineListView *engineListView(QWidget *parent, const QString &name, const QString &firstCaption)
{
    auto *list = new EngineListView(parent);
    list->setObjectName(name);
    list->setHeaderLabels({firstCaption, QStringLiteral("Type"), QStringLiteral("Country")});
    // Name 2.5/4, type 0.7/4 and country 1/4 of the width, scaled together so they fit.
    Platform::keepColumnFractions(list, {2.5 / 4, 0.7 / 4, 1 / 4.0});
    return list;
}

QPushButton *arrowButton(QWidget *parent, const QString &caption, const QString &name, const QString &tip)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    return button;
}

} // namespace

const QStringList &EnginesPage::typeCodes()
{
    static const QStringList codes = {QStringLiteral("ENG"), QStringLiteral("DIR"), QStringLiteral("FFA"),
                                      QStringLiteral("NEWS"), QStringLiteral("MALL"), QStringLiteral("HOT"),
                                      QStringLiteral("MIS")};
    return codes;
}

EnginesPage::EnginesPage(QWidget *parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("SSTab3"));
    auto *page = new QWidget(this);
    addTab(page, QStringLiteral("Search Engines"));

    lsvEngines = engineListView(page, QStringLiteral("lsvEngines"), QStringLiteral("All Engines"));
    lsvEngines->setToolTip(QStringLiteral("Double-click an engine to select it, or highlight several engines "
                                          "and press the '->' button"));
    lsvSelectedEngines = engineListView(page, QStringLiteral("lsvSelectedEngines"), QStringLiteral("Selected Engines"));
    lsvSelectedEngines->setToolTip(QStringLiteral("Selected engines"));

    cmdSelectEngine = {arrowButton(page, QStringLiteral("->"), QStringLiteral("cmdSelectEngine_0"), QStringLiteral("Select engines")),
                       arrowButton(page, QStringLiteral(">>"), QStringLiteral("cmdSelectEngine_1"), QStringLiteral("Select ALL engines"))};
    cmdRemoveEngine = {arrowButton(page, QStringLiteral("<-"), QStringLiteral("cmdRemoveEngine_0"), QStringLiteral("Remove Selected Engines")),
                       arrowButton(page, QStringLiteral("<<"), QStringLiteral("cmdRemoveEngine_1"), QStringLiteral("Remove ALL selected Engines"))};
    auto *buttons = new QVBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *button : cmdSelectEngine)
        buttons->addWidget(button);
    buttons->addSpacing(12);
    for (QPushButton *button : cmdRemoveEngine)
        buttons->addWidget(button);
    buttons->addStretch(1);

    auto *lists = new QHBoxLayout;
    lists->addWidget(lsvEngines, 1);
    lists->addLayout(buttons);
    lists->addWidget(lsvSelectedEngines, 1);

    fraEngines = {new QGroupBox(QStringLiteral("Engine Type"), page), new QGroupBox(QStringLiteral("Country"), page),
                  new QGroupBox(QStringLiteral("Options"), page)};
    for (int i = 0; i < fraEngines.size(); ++i)
        fraEngines[i]->setObjectName(QStringLiteral("fraEngines_%1").arg(i));

    static const char *const captions[] = {"&General Engines", "&Directories", "&Free For All Links",
                                           "&News / Classifieds", "&Online Mall", "&Hot Sites", "&Miscellaneous"};
    auto *typeLayout = new QVBoxLayout(fraEngines[0]);
    for (int i = 0; i < 7; ++i) {
        auto *box = new QCheckBox(QString::fromLatin1(captions[i]), fraEngines[0]);
        box->setObjectName(QStringLiteral("chkType_%1").arg(i));
        box->installEventFilter(this);
        chkType.append(box);
        typeLayout->addWidget(box);
    }

    lstCountry = new QListWidget(fraEngines[1]);
    lstCountry->setObjectName(QStringLiteral("lstCountry"));
    lstCountry->setToolTip(QStringLiteral("Select engines by country"));
    auto *countryLayout = new QVBoxLayout(fraEngines[1]);
    countryLayout->addWidget(lstCountry);

    lblFindEngines = new QLabel(QStringLiteral("Find Engines:"), fraEngines[2]);
    txtFindEngines = new QLineEdit(fraEngines[2]);
    txtFindEngines->setObjectName(QStringLiteral("txtFindEngines"));
    optAdultSite = {new QRadioButton(QStringLiteral("Adult Only Sites"), fraEngines[2]),
                    new QRadioButton(QStringLiteral("No Adult Sites"), fraEngines[2])};
    optAdultSite[0]->setObjectName(QStringLiteral("optAdultSite_0"));
    optAdultSite[1]->setObjectName(QStringLiteral("optAdultSite_1"));
    auto *optionLayout = new QVBoxLayout(fraEngines[2]);
    optionLayout->addWidget(lblFindEngines);
    optionLayout->addWidget(txtFindEngines);
    optionLayout->addWidget(optAdultSite[0]);
    optionLayout->addWidget(optAdultSite[1]);
    optionLayout->addStretch(1);

    auto *filters = new QHBoxLayout;
    for (QGroupBox *frame : fraEngines)
        filters->addWidget(frame, 1);

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(lists, 1);
    layout->addLayout(filters);
}

bool EnginesPage::eventFilter(QObject *watched, QEvent *event)
{
    // Qt hands a key taken by two mnemonics to each in turn: the menu bar must win every time.
    auto *mainWindow = qobject_cast<QMainWindow *>(window());
    if (event->type() != QEvent::Shortcut || !mainWindow || !mainWindow->menuWidget())
        return QTabWidget::eventFilter(watched, event);
    const QKeySequence key = static_cast<QShortcutEvent *>(event)->key();
    for (QAction *menu : mainWindow->menuBar()->actions()) {
        if (menu->isVisible() && menu->isEnabled() && QKeySequence::mnemonic(menu->text()) == key) {
            mainWindow->menuBar()->setActiveAction(menu);
            return true;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}
