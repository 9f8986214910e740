#pragma once
// The site page set: site info, site URLs, contact details, category and reports tabs.
#include <QMap>
#include <QTabWidget>
#include <QVector>

class KeyedListView;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class ReportsList;

class SitePages : public QTabWidget {
    Q_OBJECT
public:
    explicit SitePages(QWidget *parent = nullptr);

    // Tab 0 "Site Info"
    QGroupBox *fraSiteDetails = nullptr;   // item 1 of the site-info frames
    QLineEdit *txtSiteTitle = nullptr;
    QPlainTextEdit *txtSiteKeywords = nullptr;
    QPlainTextEdit *txtSiteDescription = nullptr;
    QComboBox *cboWebType = nullptr;
    QComboBox *cboLanguage = nullptr;
    QPushButton *cmdGetSiteInfo = nullptr;

    // Tab 1 "Site URLs"
    QWidget *CoolBarSiteURL = nullptr;
    QToolBar *ToolbarSiteURL = nullptr;
    QVector<QAction *> ToolbarSiteURLButtons;   // keyed by their object names
    KeyedListView *lsvSiteURLs = nullptr;
    QGroupBox *fraSiteURls = nullptr;
    QLineEdit *txtURLFileLocation = nullptr;
    QPushButton *cmdFileLocation = nullptr;
    QLineEdit *txtURLTitle = nullptr;
    QPlainTextEdit *txtURLKeyword = nullptr;
    QPlainTextEdit *txtURLDescription = nullptr;
    QLabel *lblMetaTag = nullptr;
    QMap<int, QLabel *> Label1;   // 0 "Title:", 2 "Keywords:", 4 "Description:", 6 the local file

    // Tab 2 "Contact Details"
    QGroupBox *fraContactInfo = nullptr;
    QLineEdit *txtName = nullptr;
    QLineEdit *txtEmail = nullptr;
    QLineEdit *txtCompany = nullptr;
    QLineEdit *txtAddress = nullptr;
    QLineEdit *txtCity = nullptr;
    QLineEdit *txtState = nullptr;
    QLineEdit *txtPostcode = nullptr;
    QComboBox *cboCountry = nullptr;
    QLineEdit *txtPhone = nullptr;
    QLineEdit *txtFax = nullptr;
    QLineEdit *txtPassword = nullptr;

    // Tab 3 "Category"
    QTabWidget *tabCategory = nullptr;
    QListWidget *lstMainCategory = nullptr;
    QListWidget *lstCategory = nullptr;
    QMap<int, QLabel *> lblCategory;   // 0 above the main list, 1 above the sub-category list
    QComboBox *cboCustomEngines = nullptr;
    QLineEdit *txtCustomCategory = nullptr;
    KeyedListView *lsvCustomMainCategory = nullptr;
    KeyedListView *lsvCustomSubCategory = nullptr;
    QLabel *lblReadyToSubmit = nullptr;

    // Tab 4 "Reports"
    ReportsList *reports = nullptr;

private:
    QWidget *buildSiteInfoTab();
    QWidget *buildSiteURLsTab();
    QWidget *buildContactTab();
    QWidget *buildCategoryTab();
};
