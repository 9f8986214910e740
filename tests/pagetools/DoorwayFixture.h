// The doorway window loaded over a fresh program folder, with the fields of a sample page.
#pragma once

#include "support/TestEnvironment.h"
#include "support/UserInput.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/modCommon.h"
#include "pagetools/frmDoorway.h"

class DoorwayTest : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        window = frmDoorway::instance();
        window->show();
    }
    void TearDown() override
    {
        delete frmDoorway::loadedInstance();
        TestSupport::TestEnvironment::dropQueuedCalls();
    }
    // Title, three keywords, description, site, one sub title, body, logo and company.
    void fillSample()
    {
        window->txtTitle->setText(QStringLiteral("Blue Widgets Direct"));
        setKeywords({QStringLiteral("blue widgets"), QStringLiteral("cheap widgets"), QStringLiteral("widgets")});
        modCommon::setMultiLineText(window->txtDescription, QStringLiteral("Quality blue widgets shipped worldwide."));
        window->cboSiteURL->setEditText(QStringLiteral("www.example.com"));
        window->txtSubTitle2->setText(QStringLiteral("Widget care"));
        modCommon::setMultiLineText(window->txtSummary, QStringLiteral("Our widgets ...\r\nSecond paragraph."));
        window->txtImageURL->setText(QStringLiteral("http://www.example.com/logo.gif"));
        window->txtCompany->setText(QStringLiteral("Example Widgets Ltd"));
    }
    void setKeywords(const QStringList &keywords)
    {
        for (int i = 0; i < 8; ++i)
            window->txtKeywords[i]->setText(keywords.value(i));
    }
    void click(frmDoorway::Button button) { TestSupport::clickOn(window->Command1[button]); }
    QString outputFolder() const { return env.programFolder() + QStringLiteral("Doorway/"); }

    QPointer<frmDoorway> window;
};
