// Pictures of the ranking window over the sample engines: the search page with a profile, the
// same page after a run, and the report page.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTabWidget>
#include <QTreeWidget>

#include "ScreenshotFixture.h"
#include "platform/CommonControls.h"
#include "platform/KeyedListView.h"
#include "ranking/frmRanking.h"

TEST_F(Screenshots, TheRankingWindow)
{
    openEmpty();
    QByteArray profile = "[My Shop]\r\nURL=www.shop.example\r\nKeyword=hand-made gifts\r\nType=0\r\nValue=5\r\n"
                         "Engine1=True\r\nEngine2=False\r\nEngine3=True\r\nEngine4=True\r\n"
                         "Date=12/08/26\r\n[Outlet]\r\nURL=outlet.example\r\n";
    env.writeFile(programPath(QStringLiteral("profile.vqr")), profile);
    frmRanking *ranking = frmRanking::instance();
    shoot(ranking, QStringLiteral("20-ranking-search"));

    const struct { int row; const char *pages, *position, *status; } results[] = {
        {1, "5", "4, 17", "Completed"}, {3, "3", "", "Completed"}, {4, "2", "", "12840 bytes receiving ..."},
    };
    for (const auto &r : results) {
        QTreeWidgetItem *row = ranking->engineRow(r.row);
        row->setText(1, QString::fromLatin1(r.pages));
        row->setText(2, QString::fromLatin1(r.position));
        row->setText(3, QString::fromLatin1(r.status));
    }
    ranking->StatusBar2->setPanelText(1, QStringLiteral("Retrieving data, please wait ...."));
    shoot(ranking, QStringLiteral("21-ranking-results"));

    ranking->SSTab1->setCurrentIndex(1);
    shoot(ranking, QStringLiteral("22-ranking-report"));
    ranking->close();
}
