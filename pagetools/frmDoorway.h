#pragma once
// The "Doorway Page Creater" window: the material of a doorway page, kept in named profiles, and
// the buttons that write the pages. One instance, created on first use and released when it
// closes; the main window opens it modally and hands it nothing.
#include <array>

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QVector>

#include "pagetools/DoorwayPage.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmDoorway : public QDialog {
    Q_OBJECT
public:
    static frmDoorway *instance();
    // The window when it is loaded, else null.
    static frmDoorway *loadedInstance();
    ~frmDoorway() override;

    enum Button { NewPageButton = 0, SaveButton = 1, CreateButton = 2, CloseButton = 3 };
    void Command1_Click(int index);
    // True when every required field is filled; else the first empty one's box and focus.
    bool ValidateFields();
    void NewPage();
    void CreatePage();
    void saveProfile();
    // The pick of a name in cboProfile's list.
    void cboProfile_Click();

    QComboBox *cboProfile = nullptr;
    QLineEdit *txtTitle = nullptr;
    std::array<QLineEdit *, 8> txtKeywords{};
    QPlainTextEdit *txtDescription = nullptr;
    QComboBox *cboSiteURL = nullptr;
    QLineEdit *txtSubTitle1 = nullptr;
    QLineEdit *txtSubTitle2 = nullptr;
    QLineEdit *txtSubTitle3 = nullptr;
    QPlainTextEdit *txtSummary = nullptr;
    QLineEdit *txtImageURL = nullptr;
    QLineEdit *txtCompany = nullptr;
    QLineEdit *txtFileLocation = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblCaption = nullptr;
    QVector<QPushButton *> Command1;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Help {
        QString title;
        QString text;
    };
    explicit frmDoorway(QWidget *parent = nullptr);
    void buildWindow();
    void addField(QGridLayout *grid, QWidget *field, const QString &label, const Help &help, int row, int column = 1,
                  int span = 4);
    void Form_Load();
    void Form_Unload();
    void showIntroduction();
    DoorwayPage::Fields fields() const;
    // The fields in the order of the profile keys.
    QStringList profileValues() const;
    void setProfileValues(const QStringList &values);

    static QPointer<frmDoorway> s_instance;
    QHash<QObject *, Help> m_help;
    bool m_unloaded = false;
};
