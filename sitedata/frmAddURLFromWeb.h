#pragma once
// "Add URL from Web": fetches one live page through the shared page fetch and adds every link
// of it, resolved against the page's address, as a row of the current site's URL list, except
// links holding one of the filter strings.
#include <QDialog>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QVector>

class KeyedListView;
class QLineEdit;
class QListWidget;
class QPushButton;
namespace Platform { class StatusBar; }

class frmAddURLFromWeb : public QDialog {
    Q_OBJECT
public:
    // Rows go to `urlList`, by default the main window's URL list.
    explicit frmAddURLFromWeb(KeyedListView *urlList = nullptr, QWidget *parent = nullptr);
    ~frmAddURLFromWeb() override;

    // The dialog while one is open, else null.
    static frmAddURLFromWeb *loadedInstance();

    // The page fetch's request kind of the page whose links this dialog adds.
    static constexpr QLatin1StringView kRequestKind{"AddURLFromWeb"};

    enum Button { AddButton = 0, RemoveButton = 1, GetButton = 2, CancelButton = 3 };
    void Command1_Click(int index);
    // Receives the fetched page: adds its links and closes the dialog.
    void getURL(const QString &sNewData);
    // One raw link resolved against the page address of the last Get.
    QString getFullURL(const QString &sNewURL) const;

    // The link resolved against `pageURL` (an address without its scheme) as a browser does;
    // absolute http links stay as they are.
    static QString getFullURL(const QString &pageURL, const QString &sNewURL);
    // The raw value of every "href=" of the page, in page order.
    static QStringList pageLinks(const QString &page);
    // Whether the link names a scheme other than http (mailto:, javascript:, ftp: ...).
    static bool hasOtherScheme(const QString &link);

    // True while a Get waits for its page.
    bool fetching() const { return m_bFetching; }
    QString pageURL() const { return m_sPageURL; }

    QLineEdit *txtWebURL = nullptr;
    QLineEdit *txtKeyword = nullptr;
    QListWidget *lstKeywords = nullptr;
    QVector<QPushButton *> Command1;
    Platform::StatusBar *StatusBar1 = nullptr;

protected:
    void done(int result) override;

private:
    void Form_Load();
    void addFilter();
    void removeFilters();
    void startFetch();
    void cancelFetch();
    bool isFiltered(const QString &url) const;

    KeyedListView *m_urlList = nullptr;
    QString m_sPageURL;
    bool m_bFetching = false;
};
