#pragma once
// The modal About window: the program's version, the platform it runs on and a warning
// against copying.
#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    void btnOk_Click();

    // "Velquist", CR LF, "Version: 6.1.05" for the given numbers.
    static QString versionCaption(int major, int minor, int revision);
    // "For Linux" (the platform this build runs on).
    static QString platformCaption();

    QLabel *Picture = nullptr;
    QLabel *lblPlatform = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblWarning = nullptr;
    QPushButton *btnOk = nullptr;
};
