#pragma once
// The commands of the current site's URL list: the list's own events (row click, Delete key,
// column sort, label edit) and the buttons of the toolbar above it, addressed by their keys.
#include <QObject>
#include <QLatin1StringView>
#include <QString>

class KeyedListView;
class QTreeWidgetItem;
class SitePages;

class UrlToolbar : public QObject {
    Q_OBJECT
public:
    explicit UrlToolbar(SitePages *pages);

    // The page fetch's request kind of the page whose meta tags fill the URL details.
    static constexpr QLatin1StringView kRequestKind{"GetMetaTag"};

    // Runs the command of the button with that key (ignoring case); an unknown key does nothing.
    void ToolbarSiteURL_ButtonClick(const QString &key);

    void lsvSiteURLs_ItemClick(QTreeWidgetItem *item);
    void lsvSiteURLs_KeyDown(int keyCode);

    // Removes the selected rows after confirmation.
    void DeleteURL();
    // Fills the three meta-tag boxes from page text and shows their lengths.
    void getMetaTag(const QString &sFileData);
    // The text of the first selected row, "" when none.
    QString getFirstSelectedItem() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addURL();
    void addFromLocalFolder();
    void addFromWeb();
    void loadURLList();
    void saveURLList();
    void getMetaTagCommand();
    void editMetaTags(bool replace);
    void optimizer();

    SitePages *m_pages;
    KeyedListView *m_list;   // the URL list whose keys are filtered
};
