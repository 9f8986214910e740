#pragma once
// The "News Update" window: shows the news message stored in "news.dat" and, on request or each
// time it opens, fetches the one the vendor publishes through the page fetch, stores it and
// shows it when its date differs from the stored one. One instance, created on first use and
// deleted when it closes, so a reply that comes later finds no receiver.
#include <QDialog>
#include <QLatin1StringView>
#include <QPointer>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The rules of a news text, as served and as stored.
namespace NewsText {

// A news text holds "Date=", "Title=" and "Message" (each in this case) somewhere.
bool isNews(const QString &text);
// The (at most) 10 characters after the first "Date=", up to a line end, blanks trimmed.
QString dateOf(const QString &text);
// Everything after the first "Message=" to the end; empty without one.
QString messageOf(const QString &text);

// Lines longer than this are shown broken into pieces of this length; text beyond kMaxShownChars
// is not shown. Text layout of one very long line takes minutes and gigabytes.
inline constexpr qsizetype kMaxShownLineChars = 1024;
inline constexpr qsizetype kMaxShownChars = 1024 * 1024;
// The message as the window shows it: long lines broken, cut at kMaxShownChars.
QString shownText(const QString &message);
// The title as the window shows it: the first kMaxTitleChars characters (an INI value's limit) in
// lines of at most kMaxTitleLineChars, broken at blanks, and inside a word only when the word is
// longer than a line, so a title of one huge word cannot hold the label's layout for minutes.
inline constexpr qsizetype kMaxTitleChars = 254;
inline constexpr qsizetype kMaxTitleLineChars = 64;
QString shownTitle(const QString &title);

} // namespace NewsText

class frmNews : public QDialog {
    Q_OBJECT
public:
    static frmNews *instance();
    // The window when it is loaded, else null.
    static frmNews *loadedInstance();

    // The page fetch's request kind of the news text this window shows.
    static constexpr QLatin1StringView kRequestKind{"News"};

    // The stored news file in the program folder.
    static QString newsFile();

    // Starts a fetch of the published news; returns once it is under way or has failed.
    void checkNewMessage();
    // The page fetch's reply: stores a news text and shows it when it is new.
    void showNewMessage(const QString &sNewData, int nStatusCode);
    // Shows the stored message.
    void loadMessages();
    // 0 closes the window, 1 checks for news.
    void Command1_Click(int Index);

    QLabel *lblTitle = nullptr;
    QPlainTextEdit *txtMessage = nullptr;
    QPushButton *cmdClose = nullptr;        // Command1 index 0
    QPushButton *cmdNewMessage = nullptr;   // Command1 index 1
    QCheckBox *Check1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    explicit frmNews(QWidget *parent = nullptr);
    void buildControls();
    void formLoad();
    void fetchFailed();
    void showStoredMessageAgain();

    static QPointer<frmNews> s_instance;
    QString m_newsFile;
    bool m_loaded = false;
    bool m_closed = false;
};
