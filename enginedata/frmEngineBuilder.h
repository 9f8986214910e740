#pragma once
// The "Engine Builder" window. One instance, created on first use; the main window opens it and
// hands it nothing.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>

class frmEngineBuilder : public QDialog {
    Q_OBJECT
public:
    static frmEngineBuilder *instance();
    // The window when it is loaded, else null.
    static frmEngineBuilder *loadedInstance();

    // The page fetch's request kind of the pages this window reads engines from.
    static constexpr QLatin1StringView kRequestKind{"EngineBuilder"};

private:
    explicit frmEngineBuilder(QWidget *parent = nullptr);
    static QPointer<frmEngineBuilder> s_instance;
};
