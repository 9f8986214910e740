// Pictures of the optimizer and the doorway windows, as a user first sees them and filled in.
// Runs only when VELQUIST_SCREENSHOT_DIR names the folder for the PNG files (scripts/screenshot).
#include "ScreenshotFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "pagetools/frmDoorway.h"
#include "pagetools/frmOptimizer.h"
#include "platform/CommonControls.h"

TEST_F(Screenshots, TheOptimizerWindow)
{
    frmOptimizer *optimizer = frmOptimizer::instance();
    optimizer->cboSiteURL->addItem(QStringLiteral("www.example.com/shop/index.htm"));
    optimizer->cboSiteURL->setEditText(QStringLiteral("www.example.com/shop/index.htm"));
    optimizer->StatusBar1->setPanelText(1, QStringLiteral("Done"));
    optimizer->show();
    shoot(optimizer, QStringLiteral("55-optimizer"));
    optimizer->cmdRenovator->setText(QStringLiteral("&Cancel"));
    optimizer->StatusBar1->setPanelText(1, QStringLiteral("Connecting to : www.example.com/shop/index.htm ...."));
    shoot(optimizer, QStringLiteral("55-optimizer-fetching"));
    delete optimizer;
}

TEST_F(Screenshots, TheDoorwayWindow)
{
    frmDoorway *doorway = frmDoorway::instance();
    doorway->show();
    shoot(doorway, QStringLiteral("55-doorway-empty"));
    doorway->cboProfile->addItem(QStringLiteral("Blue widgets"));
    doorway->cboProfile->setEditText(QStringLiteral("Blue widgets"));
    doorway->txtTitle->setText(QStringLiteral("Blue Widgets Direct"));
    const QStringList keywords = {QStringLiteral("blue widgets"), QStringLiteral("cheap widgets"),
                                  QStringLiteral("widgets"), QStringLiteral("widget shop")};
    for (int i = 0; i < keywords.size(); ++i)
        doorway->txtKeywords[i]->setText(keywords[i]);
    modCommon::setMultiLineText(doorway->txtDescription, QStringLiteral("Quality blue widgets shipped worldwide."));
    doorway->cboSiteURL->setEditText(QStringLiteral("www.example.com"));
    doorway->txtSubTitle1->setText(QStringLiteral("Widget care"));
    modCommon::setMultiLineText(doorway->txtSummary,
                                QStringLiteral("Our widgets are made to last.\r\nSecond paragraph about widgets."));
    doorway->txtImageURL->setText(QStringLiteral("http://www.example.com/logo.gif"));
    doorway->txtCompany->setText(QStringLiteral("Example Widgets Ltd"));
    doorway->txtKeywords[1]->setFocus();
    QFocusEvent focusIn(QEvent::FocusIn);
    QApplication::sendEvent(doorway->txtKeywords[1], &focusIn);   // offscreen windows are never active
    shoot(doorway, QStringLiteral("55-doorway-filled"));
    delete doorway;
}
