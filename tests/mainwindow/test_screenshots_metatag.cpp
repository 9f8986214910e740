// Pictures of the meta-tag editor over a small site folder: a page's tags shown, and the end of
// a bulk update.
#include "ScreenshotFixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "pagetools/frmMetaTag.h"

TEST_F(Screenshots, TheMetaTagEditor)
{
    const QString site = env.root() + QStringLiteral("/My Site/");
    const QByteArray page = "<html><head><title>Hand-made Gifts and Cards</title>\r\n"
                            "<meta name=\"keywords\" content=\"gifts, hand-made gifts, greeting cards, wrapping\">\r\n"
                            "<meta name=\"description\" content=\"Hand-made gifts and cards from a small workshop, "
                            "shipped worldwide.\">\r\n</head><body>x</body></html>";
    for (const char *name : {"index.htm", "about.html", "contact.htm", "gallery.htm", "notes.txt"})
        env.writeFile(site + QString::fromLatin1(name), page);
    QDir().mkpath(site + QStringLiteral("images"));
    QDir().mkpath(site + QStringLiteral("Archive 2025"));

    frmMetaTag *editor = frmMetaTag::instance();
    editor->show();
    editor->addDirs(site);
    for (int i = 0; i < editor->lsvDirs->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = editor->lsvDirs->topLevelItem(i);
        if (item->text(0) == QStringLiteral("index.htm"))
            TestSupport::doubleClickRow(editor->lsvDirs, item);
    }
    shoot(editor, QStringLiteral("50-metatag-page"));

    for (int i = 0; i < editor->lsvDirs->topLevelItemCount(); ++i)
        editor->lsvDirs->topLevelItem(i)->setSelected(editor->lsvDirs->topLevelItem(i)->text(0).contains(QStringLiteral(".htm")));
    editor->updateMetaTag(true);
    editor->resize(560, 380);
    shoot(editor, QStringLiteral("50-metatag-updated-small"));
    delete frmMetaTag::loadedInstance();
}
