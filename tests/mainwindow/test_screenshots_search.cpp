// Pictures of the engine search launcher and the keyword builder over the sample data.
#include "ScreenshotFixture.h"

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>

#include "platform/CommonControls.h"
#include "ranking/frmKeywordBuilder.h"
#include "ranking/frmSearch.h"

TEST_F(Screenshots, SearchLauncherAndKeywordBuilder)
{
    openWithProjects();
    frmSearch *search = frmSearch::instance();
    ASSERT_TRUE(TestSupport::showWindow(search));
    TestSupport::chooseItem(search->cboSearchType, 1);
    TestSupport::chooseItem(search->cboWebProfile, 0);
    TestSupport::clickRow(search->lstURL, search->lstURL->item(0));
    shoot(search, QStringLiteral("30-search"));
    delete search;

    frmKeywordBuilder *builder = frmKeywordBuilder::instance();
    builder->cboKeywords->setEditText(QStringLiteral("hand-made gifts"));
    modCommon::setMultiLineText(builder->txtKeywordList,
                                QStringLiteral("\r\ngifts\r\nhand-made\r\ncrafts\r\n\r\npresents\r\nbirthday gifts"));
    builder->StatusBar1->setPanelText(
        1, QStringLiteral("Done: 3 of 9 sites gave no page: http://www.example.org/ (404), "
                          "http://www.example.net/shop/ (no connection), http://www.example.com/a (too many redirects)"));
    builder->show();
    shoot(builder, QStringLiteral("31-keyword-builder"));
    delete builder;
}
