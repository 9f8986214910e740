#pragma once
// The "Web Site Optimizer" window. One instance, created on first use; the main window opens it,
// hands it nothing and listens for clearStatusRequested.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>

class frmOptimizer : public QDialog {
    Q_OBJECT
public:
    static frmOptimizer *instance();
    // The window when it is loaded, else null.
    static frmOptimizer *loadedInstance();

    // The page fetch's request kind of the page this window reports on.
    static constexpr QLatin1StringView kRequestKind{"Optimizer"};

signals:
    // A run started from the main window ended without a report: its status text goes.
    void clearStatusRequested();

private:
    explicit frmOptimizer(QWidget *parent = nullptr);
    static QPointer<frmOptimizer> s_instance;
};
