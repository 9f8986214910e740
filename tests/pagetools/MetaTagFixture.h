// The meta-tag editor over a folder of pages in the test's own temp folder.
#pragma once

#include <QDir>
#include <QMenu>
#include <QTreeWidget>

#include "core/clsPreference.h"
#include "pagetools/frmMetaTag.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "support/TestEnvironment.h"
#include "support/UserInput.h"
#include "transport/frmHTTP.h"

class MetaTagTest : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        myPreference().setTimeOut(2);
        myPreference().setAccessType(0);
        myPreference().setProxy(QString());
        frmHTTP::setIntervals({10, 300, 1500});
        site = env.root() + QStringLiteral("/site/");
        ASSERT_TRUE(QDir().mkpath(site));
    }
    void TearDown() override
    {
        delete frmMetaTag::loadedInstance();
        TestSupport::TestEnvironment::dropQueuedCalls();
        Platform::setBusyPointer(false);
    }

    // The shown window listing the site folder.
    frmMetaTag *open()
    {
        w = frmMetaTag::instance();
        EXPECT_TRUE(TestSupport::showWindow(w));
        w->addDirs(site);
        return w;
    }
    QTreeWidgetItem *row(const QString &name) const
    {
        for (int i = 0; i < w->lsvDirs->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = w->lsvDirs->topLevelItem(i);
            if (item->text(0) == name)
                return item;
        }
        return nullptr;
    }
    QStringList names() const
    {
        QStringList shown;
        for (int i = 0; i < w->lsvDirs->topLevelItemCount(); ++i)
            shown.append(w->lsvDirs->topLevelItem(i)->text(0));
        return shown;
    }
    // "View Source" from the row's context menu.
    void viewSource(const QString &name)
    {
        TestSupport::rightClickRow(w->lsvDirs, row(name));
        TestSupport::chooseFromMenu(w->mnuPopup, w->mnuViewSource);
    }
    void select(const QStringList &rowNames)
    {
        w->lsvDirs->clearSelection();
        for (const QString &name : rowNames)
            if (QTreeWidgetItem *item = row(name))
                item->setSelected(true);
    }

    QString site;   // ends in "/"
    frmMetaTag *w = nullptr;
};
