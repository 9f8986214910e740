#include "enginedata/frmUpdateEngines.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QPointer<frmUpdateEngines> frmUpdateEngines::s_instance;

frmUpdateEngines *frmUpdateEngines::instance()
{
    if (!s_instance)
        s_instance = new frmUpdateEngines;
    return s_instance;
}

frmUpdateEngines::frmUpdateEngines(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUpdateEngines"));
    setWindowTitle(QStringLiteral("Update Engine Data"));
    setModal(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(420);
    cmdStart = new QPushButton(QStringLiteral("&Start"), this);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 1);
    layout->addLayout(buttons);
}
