#pragma once
// The site page set: site info, site URLs, contact details, category and reports tabs.
#include <QMap>
#include <QLatin1StringView>
#include <QTabWidget>
#include <QVector>

#include "core/modCommonHtml.h"

class CustomCategoryBrowser;
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
class UrlToolbar;
namespace Platform { class StatusBar; }

class SitePages : public QTabWidget {
    Q_OBJECT
public:
    explicit SitePages(QWidget *parent = nullptr);

    // The page fetch's request kind of the page that fills the site info.
    static constexpr QLatin1StringView kRequestKind{"GetSiteInfo"};

    // Empties the details of the chosen URL row and gives their labels back their plain captions.
    void clearURLDetails();

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

    // The URL list's events and toolbar commands, and the custom-category browsing.
    UrlToolbar *urlCommands = nullptr;
    CustomCategoryBrowser *customCategories = nullptr;

    // The last address given to "Get Site Details"; the default of the next prompt.
    QString m_sSiteInfoURL;

    // Asks for the site's address and fetches its page ("GetSiteInfo").
    void cmdGetSiteInfo_Click();
    // Fills title, keywords and description from the fetched page. A page asked for while
    // another site was shown is dropped.
    void SetSiteInfo(const QString &sFileData);
    // Chooses the local HTML file of the current URL row.
    void cmdFileLocation_Click();

    // What one fetched page may put into a box: as much as a one-line box takes (QLineEdit's
    // maxLength, the limit of typing into the title boxes), so a page of megabytes of keywords
    // cannot hold the window while it lays them out.
    static constexpr int kMaxFetchedChars = int(modCommon::kMaxShownTagChars);
    // Fills a title box and the keyword and description boxes from a page's meta tags, each
    // bounded to kMaxFetchedChars.
    static void showMetaTags(const QString &page, QLineEdit *title, QPlainTextEdit *keywords,
                             QPlainTextEdit *description);

    // Panel 1 of the main window's status bar (nothing when there is no main window).
    static void setStatusText(const QString &text);
    // Takes a fetch's "Connecting to ..." away when no connection could be made.
    static void clearStatusText();
    // What names the site shown now: its tree node key and its file.
    static QString currentSiteIdentity();

private:
    QWidget *buildSiteInfoTab();
    QWidget *buildSiteURLsTab();
    QWidget *buildContactTab();
    QWidget *buildCategoryTab();
    void wireEvents();

    QString m_sSiteInfoRequestSite;   // the site shown when the last site-info fetch started
};
