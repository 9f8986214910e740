#pragma once
// The "News" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>

class frmNews : public QDialog {
    Q_OBJECT
public:
    static frmNews *instance();
    // The window when it is loaded, else null.
    static frmNews *loadedInstance();

    // The page fetch's request kind of the news text this window shows.
    static constexpr QLatin1StringView kRequestKind{"News"};

private:
    explicit frmNews(QWidget *parent = nullptr);
    static QPointer<frmNews> s_instance;
};
