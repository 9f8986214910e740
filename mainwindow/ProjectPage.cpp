#include "mainwindow/ProjectPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ProjectPage::ProjectPage(QWidget *parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("SSTab2"));
    auto *page = new QWidget(this);
    addTab(page, QStringLiteral("Web Project"));

    fraProjectDescr = new QGroupBox(page);
    fraProjectDescr->setObjectName(QStringLiteral("fraSiteInfo0"));
    lblProject = new QLabel(QStringLiteral("Description:"), fraProjectDescr);
    lblProject->setObjectName(QStringLiteral("lblProject"));
    txtProjectDescr = new QPlainTextEdit(fraProjectDescr);
    txtProjectDescr->setObjectName(QStringLiteral("txtProjectDescr"));
    txtProjectDescr->setTabChangesFocus(true);   // Tab moves on instead of typing a tab character
    lblWebProject = new QLabel(
        QStringLiteral("Please enter a short description about your web project. A web project is a web "
                       "folder which contains the web sites you want to create. These information will "
                       "not be submitted by the program."),
        fraProjectDescr);
    lblWebProject->setObjectName(QStringLiteral("lblWebProject"));
    lblWebProject->setWordWrap(true);
    auto *frameLayout = new QVBoxLayout(fraProjectDescr);
    frameLayout->addWidget(lblWebProject);
    frameLayout->addWidget(lblProject);
    frameLayout->addWidget(txtProjectDescr, 1);

    lblQuickStartTips = new QLabel(page);
    lblQuickStartTips->setObjectName(QStringLiteral("lblQuickStartTips"));
    lblQuickStartTips->setWordWrap(true);
    lblQuickStartTips->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(fraProjectDescr, 1);
    layout->addWidget(lblQuickStartTips, 1);
}

QString ProjectPage::quickStartText()
{
    static const char *const lines[] = {
        "Quick Start:",
        "",
        "1. Click on the 'New Project' button from the menu bar to create a new project and specify a name for your new project.",
        "2. Click on the 'New Web' button from the menu bar to create a new web site and specify a name for your web site.",
        "3. Enter ALL the details of Web Site info, URLs, Contact Info etc.",
        "4. Select category you want to submit to.",
        "5. Click on the 'Save' button to save your web site details.",
        "7. Select the engines you want to submit to by clicking the 'Engine' button.",
        "8. Click on the 'Submit' button from the menu bar to start submitting.",
        "9. Then follow the instructions on the 'Submit' screen to submit your web site.",
        "",
        "Need More Help:",
        "Please click the 'Help/Contents' menu item from the menu bar for more help information.",
    };
    QStringList text;
    for (const char *line : lines)
        text.append(QString::fromLatin1(line));
    return text.join(QStringLiteral("\r\n"));
}
