#pragma once
// Browsing the live category pages of a custom-category engine (a web directory) on the category
// tab: choose the engine, open a top category, go down and up through the directory's levels,
// each fetched with the shared page fetch. The chosen path is kept per engine for the site.
#include <QObject>
#include <QLatin1StringView>
#include <QString>

class QTreeWidgetItem;
class SitePages;

class CustomCategoryBrowser : public QObject {
    Q_OBJECT
public:
    explicit CustomCategoryBrowser(SitePages *pages);

    // The page fetch's request kind of the directory pages browsed here.
    static constexpr QLatin1StringView kRequestKind{"GetCustomCategory"};

    // Shows the chosen engine's top categories and the path chosen for it so far.
    void cboCustomEngines_Click();
    void lsvCustomMainCategory_ItemClick(QTreeWidgetItem *item);
    // Opens the selected top category.
    void lsvCustomMainCategory_DblClick();
    // Goes up ("<< ..." row) or down into the selected sub-category.
    void lsvCustomSubCategory_DblClick();
    // Builds the address of the row's page and fetches it.
    void retrieveSubCategory(QTreeWidgetItem *mySelectedItem);
    // Receives a fetched directory page (kRequestKind).
    void getCustomCateogry(const QString &sFileData);

    // The parent ("Up", any case) or the last segment (any other type) of a "/"-separated path.
    static QString getString(const QString &sURL, const QString &sType);

    QString m_sCategoryTag;          // the tag of the category row last clicked or opened
    bool m_intAddURLPage = false;    // the page awaited is the open directory's add-URL form

private:
    void resetSubCategoryList(const QString &address);
    void fetch(const QString &address, const QString &statusTail);
    bool isCurrentRequest() const;

    SitePages *m_pages;
    int m_requestEngineIndex = -1;   // the engine being edited when the last fetch started
    QString m_requestSite;           // the site shown when the last fetch started
};
