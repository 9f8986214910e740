#pragma once
// "Create URL from Local Folder": one URL row per page of a local copy of the web site, the URL
// made of the site's domain, the sub-folder and the file name, the row tied to the local file.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVector>

class KeyedListView;
class QCheckBox;
class QLineEdit;
class QPushButton;

class frmAddURL : public QDialog {
    Q_OBJECT
public:
    // Rows go to `urlList`, by default the main window's URL list.
    explicit frmAddURL(KeyedListView *urlList = nullptr, QWidget *parent = nullptr);

    enum Button { GetButton = 0, CancelButton = 1 };
    void Command1_Click(int index);
    // Adds the rows for the files of one folder; `sSubDir` is the folder's path below the chosen
    // folder ("" for the chosen folder itself).
    void createURL(const QString &sDomain, const QString &sExtention, const QString &sSubDir, const QString &sFilePath);

    // ".htm,.html,.shtml", ".asp", ".cgi" for the ticked boxes, joined by ","; "" when none.
    static QString extensionFilter(bool html, bool asp, bool cgi);
    // Whether the file's extension is one of the filter's; every file matches an empty filter.
    static bool matchesFilter(const QString &fileName, const QString &filter);
    // The domain as the start of every URL: "http://" in front unless it starts with "http",
    // and ending in "/".
    static QString baseURL(const QString &domain);
    // The visible files of a folder by name, ignoring case.
    static QStringList folderFiles(const QString &folder);
    // The visible immediate sub-folders of a folder by name, ignoring case.
    static QStringList subFolders(const QString &folder);

    // The chosen folder (it stands for the drive and folder lists).
    QLineEdit *txtFolder = nullptr;
    QPushButton *cmdBrowse = nullptr;
    QLineEdit *txtDomain = nullptr;
    QVector<QCheckBox *> chkExtention;   // 0 ".HTML", 1 ".ASP", 2 ".CGI"
    QCheckBox *chkSubDirectory = nullptr;
    QVector<QPushButton *> Command1;

private:
    void Form_Load();
    void cmdBrowse_Click();
    bool validDomain();
    void addFolderURLs();

    KeyedListView *m_urlList = nullptr;
};
