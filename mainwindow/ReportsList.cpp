#include "mainwindow/ReportsList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/KeyedListView.h"

ReportsList::ReportsList(QWidget *parent) : QWidget(parent)
{
    lblReportsHint = new QLabel(
        QStringLiteral("Please select a Web Site from the list below. After pressing the 'View Report' button, "
                       "a 'Submission Report' will be generated and appear on your default browser."),
        this);
    lblReportsHint->setWordWrap(true);
    lsvReports = new KeyedListView(this);
    lsvReports->setObjectName(QStringLiteral("lsvReports"));
    lsvReports->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvReports->setColumnCount(2);
    lsvReports->setHeaderLabels({QStringLiteral("URLs"), QStringLiteral("Date Submitted")});
    cmdViewReport = new QPushButton(QStringLiteral("&View Report"), this);
    cmdViewReport->setObjectName(QStringLiteral("cmdViewReport"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdViewReport);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblReportsHint);
    layout->addWidget(lsvReports, 1);
    layout->addLayout(buttons);
}
