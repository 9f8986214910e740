#pragma once
// The project page set ("Web Project"): the project description and the Quick Start text.
#include <QTabWidget>

class QGroupBox;
class QLabel;
class QPlainTextEdit;

class ProjectPage : public QTabWidget {
    Q_OBJECT
public:
    explicit ProjectPage(QWidget *parent = nullptr);

    QGroupBox *fraProjectDescr = nullptr;   // item 0 of the site-info frames
    QPlainTextEdit *txtProjectDescr = nullptr;
    QLabel *lblProject = nullptr;
    QLabel *lblWebProject = nullptr;
    QLabel *lblQuickStartTips = nullptr;

    static QString quickStartText();
};
