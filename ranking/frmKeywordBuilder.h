#pragma once
// The "Keyword Builder" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>

class frmKeywordBuilder : public QDialog {
    Q_OBJECT
public:
    static frmKeywordBuilder *instance();
    // The window when it is loaded, else null.
    static frmKeywordBuilder *loadedInstance();

    // The page fetch's request kind of the result pages this window reads. Its receiver asks
    // for silentConnectFailure: a failed connection is told to it without a box.
    static constexpr QLatin1StringView kRequestKind{"KeywordBuilder"};

private:
    explicit frmKeywordBuilder(QWidget *parent = nullptr);
    static QPointer<frmKeywordBuilder> s_instance;
};
