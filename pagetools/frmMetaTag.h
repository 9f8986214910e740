#pragma once
// The "Meta Tag Editor" window: a folder list of local pages on the left, the title, keywords and
// description of one page on the right, and a bulk update that writes them into every selected
// page. One modeless instance, created on first use and released when it closes; the main window
// opens it and hands it nothing.
#include <array>

#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>

class MetaTagWrites;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

class frmMetaTag : public QDialog {
    Q_OBJECT
public:
    static frmMetaTag *instance();
    // The window when it is loaded, else null.
    static frmMetaTag *loadedInstance();
    ~frmMetaTag() override;

    // The page fetch's request kind of the page whose meta tags this window edits.
    static constexpr QLatin1StringView kRequestKind{"MetaTagEdit"};
    static constexpr int kHistoryEntries = 20;
    static constexpr int kMaxTyped = 1000;

    // Lists a folder in lsvDirs (a drive box text goes through FolderRows::driveFolder first).
    void addDirs(const QString &startingDir);
    // Shows the title, keywords and description of a page or head section.
    void getMetaTag(const QString &sFileData);
    // Writes the boxes into every selected HTML file of the list (replace or insert).
    void updateMetaTag(bool nUpdateType);
    void Resize();
    bool isUpdating() const { return m_updating; }

    // Handlers, public so that tests drive them as the controls do.
    void cboAddress_KeyDown(int keyCode);
    void Command1_Click(int index);
    void lsvDirs_DblClick();
    void lsvDirs_ColumnClick(int column);
    void lsvDirs_MouseDown(Qt::MouseButton button, const QPoint &globalPos);
    void mnuViewSource_Click();
    void Drive1_Change();

    QComboBox *cboAddress = nullptr;
    QComboBox *Drive1 = nullptr;
    QTreeWidget *lsvDirs = nullptr;
    QSplitter *picSpliter = nullptr;
    std::array<QGroupBox *, 2> fraMeTaTag{};
    std::array<QLabel *, 5> Label1{};   // 0 title, 2 keywords, 4 description
    QLineEdit *txtTitle = nullptr;
    QPlainTextEdit *txtKeyword = nullptr;
    QPlainTextEdit *txtDescription = nullptr;
    std::array<QRadioButton *, 2> optUpdate{};   // 0 insert, 1 replace
    std::array<QPushButton *, 2> Command1{};     // 0 "&Update", 1 "&Close"
    QLabel *lblStatusBar = nullptr;
    QMenu *mnuPopup = nullptr;
    QAction *mnuViewSource = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    explicit frmMetaTag(QWidget *parent = nullptr);
    void buildWindow();
    void wireControls();
    void Form_Load();
    void Form_Unload();
    void showCounters();
    void updateFile(MetaTagWrites &writes, const QString &path, bool replace);
    QTreeWidgetItem *selectedItem() const;
    QStringList selectedPages() const;
    void pageArrived(const QString &page);

    static QPointer<frmMetaTag> s_instance;
    bool m_unloaded = false;
    bool m_updating = false;
    bool m_closeAfterUpdate = false;
    bool m_loaded = false;
};
