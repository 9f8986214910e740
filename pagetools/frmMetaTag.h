#pragma once
// The "Meta Tag Generator" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>

class frmMetaTag : public QDialog {
    Q_OBJECT
public:
    static frmMetaTag *instance();
    // The window when it is loaded, else null.
    static frmMetaTag *loadedInstance();

    // The page fetch's request kind of the page whose meta tags this window edits.
    static constexpr QLatin1StringView kRequestKind{"MetaTagEdit"};

private:
    explicit frmMetaTag(QWidget *parent = nullptr);
    static QPointer<frmMetaTag> s_instance;
};
