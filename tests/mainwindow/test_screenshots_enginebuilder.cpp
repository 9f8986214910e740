// Pictures of each tab of the engine builder, with an engine read from a submission form.
#include "ScreenshotFixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTreeWidget>

#include "enginedata/frmEngineBuilder.h"
#include "platform/KeyedListView.h"

TEST_F(Screenshots, EachTabOfTheEngineBuilder)
{
    openShopWithReport();
    env.writeFile(env.engineDataFolder() + QStringLiteral("vqzengc.dat"),
                  "Name=Orchid Custom\r\nHome=http://www.orchid.example/\r\nAction=http://www.orchid.example/add\r\n"
                  "Category=Y\r\nType=DIR\r\nSiteLevel=2\r\nMaxTitle=60\r\nMaxKeywords=200\r\nMaxDescription=250\r\n");
    frmEngineBuilder *builder = frmEngineBuilder::instance();
    builder->show();
    builder->txtEngineName->setText(QStringLiteral("Falcon Custom"));
    builder->txtEngineURL->setText(QStringLiteral("http://www.falcon.example/"));
    builder->txtSubmitURL->setText(QStringLiteral("http://www.falcon.example/add.html"));
    builder->getDataFromHTML(QStringLiteral(
        "<p>Add your site</p><form method=\"post\" action=\"http://www.falcon.example/cgi-bin/add.cgi\">"
        "<input type=\"text\" name=\"title\" size=\"40\"><input type=\"text\" name=\"url\">"
        "<textarea name=\"description\" rows=\"4\"></textarea><select name=\"category\"><option>Arts</option></select>"
        "<input type=\"text\" name=\"email\"><input type=\"hidden\" name=\"ref\" value=\"home page / top\">"
        "<input type=\"submit\" value=\"Add URL\"></form>"));
    shoot(builder, QStringLiteral("40-engine-builder-source"));
    builder->getFields();
    TestSupport::showPageOf(builder->SSTab1, builder->lsvDataFields);
    TestSupport::clickRow(builder->lsvDataFields, builder->lsvDataFields->rowByKey(QStringLiteral("ref")));
    shoot(builder, QStringLiteral("40-engine-builder-fields"));
    builder->setCategoryData(QStringLiteral("Retail=Shops & Stores>Music=Sounds"));
    TestSupport::clickTab(builder->SSTab1, frmEngineBuilder::CategoryTab);
    TestSupport::clickRow(builder->lsvCategory, builder->lsvCategory->rowByKey(QStringLiteral("Retail")));
    shoot(builder, QStringLiteral("40-engine-builder-category"));
    builder->SSTab1->setCurrentIndex(frmEngineBuilder::SettingsTab);
    builder->lstEngines->setCurrentRow(0);
    builder->SSTab1->setCurrentIndex(frmEngineBuilder::SettingsTab);
    shoot(builder, QStringLiteral("40-engine-builder-settings"));
    env.dialogs.acceptAllMessages();
    builder->close();
}
