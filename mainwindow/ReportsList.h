#pragma once
// The "Reports" tab: the submission reports of the current web site.
#include <QWidget>

class KeyedListView;
class QLabel;
class QPushButton;

class ReportsList : public QWidget {
    Q_OBJECT
public:
    explicit ReportsList(QWidget *parent = nullptr);

    QLabel *lblReportsHint = nullptr;
    KeyedListView *lsvReports = nullptr;
    QPushButton *cmdViewReport = nullptr;
};
